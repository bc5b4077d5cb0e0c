#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestSpreadGrid : public QObject
{
    Q_OBJECT

    std::unique_ptr<SpreadGrid> m_grid;

private Q_SLOTS:
    // A pressure row and a set-point row with a floor above zero, both starting at 7.
    void init()
    {
        m_grid = std::make_unique<SpreadGrid>();
        m_grid->setRows({{u"Static Trip Pressure"_s, u"PSI"_s, 0, 99},
                         {u"Overcount S.P."_s, u"Count"_s, 2, 9999999}});
        m_grid->setCellValue(1, 7);
        m_grid->setCellValue(2, 7);
    }

    void cleanup() { m_grid.reset(); }

    // Only whole numbers within the row's range are taken, and only a change raises
    // CellEdited. The editor takes no letters or signs and stays open with what it cannot
    // commit (kept); a committed entry closes it.
    void entry_acceptsOnlyWholeNumbersInRange_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QVariant>("kept");
        const auto row = [](const char* typed, int row, const char* shown,
                            const char* kept = nullptr) {
            QTest::newRow(typed) << row << QString::fromLatin1(typed) << QString::fromLatin1(shown)
                                 << (kept ? QVariant(QString::fromLatin1(kept)) : QVariant());
        };
        row("9999999", 2, "9999999");
        row("100", 1, "7", "100");
        row("1", 2, "7", "1");
        row("042", 1, "42");
        row("7", 1, "7");
        row("", 1, "7", "");
        row("4a2", 1, "42");
        row("-5", 1, "5");
        row("12.5", 2, "125");
        row("99999999999", 2, "7", "9999999999");
    }

    void entry_acceptsOnlyWholeNumbersInRange()
    {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QVariant, kept);
        m_grid->show();
        m_grid->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_grid.get()));
        QSignalSpy edited(m_grid.get(), &SpreadGrid::CellEdited);
        m_grid->setCurrentCell(row - 1, SpreadGrid::ValueColumn);
        QTest::keyClick(m_grid.get(), Qt::Key_F2);
        QPointer<QLineEdit> editor = m_grid->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        // A refused entry stays in the editor, whose tooltip says why; the cell names its range.
        QCOMPARE(editor && editor->isVisible(), kept.isValid());
        if (kept.isValid()) {
            const QString range = m_grid->item(row - 1, SpreadGrid::ValueColumn)->toolTip();
            QCOMPARE(editor->text(), kept.toString());
            QCOMPARE(editor->toolTip(),
                     kept.toString().isEmpty()
                         ? range
                         : range + u": "_s + kept.toString() + u" is out of range"_s);
            QTest::keyClick(editor, Qt::Key_Escape);
        }
        QCOMPARE(m_grid->item(0, SpreadGrid::ValueColumn)->toolTip(), u"0 to 99"_s);
        QCOMPARE(m_grid->cellText(row), shown);
        QCOMPARE(edited.count(), shown == u"7" ? 0 : 1);
        if (shown != u"7")
            QCOMPARE(edited.first(), (QVariantList{SpreadGrid::ValueColumn, row}));
    }
};

QTEST_MAIN(TestSpreadGrid)
#include "tst_SpreadGrid.moc"
