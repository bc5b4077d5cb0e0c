#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// A pressure row, a set-point row with a floor above zero and a wide count row.
const QList<GridRowSpec> Rows{
    {u"Static Trip Pressure"_s, u"PSI"_s, 0, 99},
    {u"Overcount S.P."_s, u"Count"_s, 2, 9999999},
    {u"Static Pressure Timer"_s, u"Seconds"_s, 0, 255},
};

// Every row starts with a value that all ranges accept.
constexpr int StartValue = 7;

} // namespace

class TestSpreadGrid : public QObject
{
    Q_OBJECT

    std::unique_ptr<SpreadGrid> m_grid;

    QLineEdit* openEditor(int row)
    {
        m_grid->setCurrentCell(row - 1, SpreadGrid::ValueColumn);
        QTest::keyClick(m_grid.get(), Qt::Key_F2);
        return m_grid->findChild<QLineEdit*>();
    }

private Q_SLOTS:
    void init()
    {
        m_grid = std::make_unique<SpreadGrid>();
        m_grid->setRows(Rows);
        for (int row = 1; row <= Rows.size(); ++row)
            m_grid->setCellValue(row, StartValue);
    }

    void cleanup() { m_grid.reset(); }

    // A refused entry leaves the cell as it was and raises no CellEdited.
    void enterText_acceptsOnlyWholeNumbersInRange_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString kept = QString::number(StartValue);
        QTest::newRow("within range") << 1 << "55"
                                      << "55";
        QTest::newRow("top of range") << 2 << "9999999"
                                      << "9999999";
        QTest::newRow("above range") << 1 << "100" << kept;
        QTest::newRow("below the floor") << 2 << "1" << kept;
        QTest::newRow("leading zeros") << 1 << "042"
                                       << "42";
        QTest::newRow("empty") << 1 << "" << kept;
        QTest::newRow("letters") << 1 << "abc" << kept;
        QTest::newRow("negative") << 3 << "-1" << kept;
        QTest::newRow("fraction") << 1 << "12.5" << kept;
        QTest::newRow("group separator") << 2 << "1,000" << kept;
        QTest::newRow("spaces") << 1 << " 12" << kept;
        QTest::newRow("plus sign") << 1 << "+12" << kept;
        QTest::newRow("beyond 32 bits") << 2 << "99999999999" << kept;
        QTest::newRow("no such row") << 4 << "5"
                                     << "";
    }

    void enterText_acceptsOnlyWholeNumbersInRange()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QSignalSpy edited(m_grid.get(), &SpreadGrid::CellEdited);
        const bool accepted = m_grid->enterText(row, text);
        QCOMPARE(m_grid->cellText(row), shown);
        QCOMPARE(accepted, row <= Rows.size() && shown != QString::number(StartValue));
        QCOMPARE(edited.count(), accepted ? 1 : 0);
        if (accepted)
            QCOMPARE(edited.first(), (QVariantList{SpreadGrid::ValueColumn, row}));
    }

    // The editor takes digits only; what it cannot commit stays open in it until Escape.
    void typingInEditor_commitsOnlyAcceptableNumbers_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("commitKey");
        QTest::addColumn<QString>("editorText");
        QTest::addColumn<bool>("accepted");
        const int enter = Qt::Key_Return;
        const int tab = Qt::Key_Tab;
        QTest::newRow("number, Enter") << 1 << u"42"_s << enter << u"42"_s << true;
        QTest::newRow("number, Tab") << 3 << u"255"_s << tab << u"255"_s << true;
        QTest::newRow("letters are not taken") << 1 << u"4a2"_s << enter << u"42"_s << true;
        QTest::newRow("minus sign is not taken") << 3 << u"-5"_s << enter << u"5"_s << true;
        QTest::newRow("same value again") << 1 << u"7"_s << enter << u"7"_s << true;
        QTest::newRow("only letters") << 1 << u"abc"_s << tab << QString() << false;
        QTest::newRow("above range, Enter") << 1 << u"150"_s << enter << u"150"_s << false;
        QTest::newRow("below the floor, Tab") << 2 << u"1"_s << tab << u"1"_s << false;
    }

    void typingInEditor_commitsOnlyAcceptableNumbers()
    {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(int, commitKey);
        QFETCH(QString, editorText);
        QFETCH(bool, accepted);
        const QString kept = QString::number(StartValue);
        m_grid->show();
        m_grid->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_grid.get()));
        QSignalSpy edited(m_grid.get(), &SpreadGrid::CellEdited);

        QPointer<QLineEdit> editor = openEditor(row);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, typed);
        QCOMPARE(editor->text(), editorText);
        QTest::keyClick(editor, static_cast<Qt::Key>(commitKey));
        QCoreApplication::processEvents();
        const bool refused = editor && editor->isVisible();
        QCOMPARE(refused, !accepted);
        if (refused) {
            QCOMPARE(m_grid->cellText(row), kept);
            QTest::keyClick(editor, Qt::Key_Escape);
            QTRY_VERIFY_WITH_TIMEOUT(!editor || !editor->isVisible(), 5000);
        }
        QCOMPARE(m_grid->cellText(row), accepted ? editorText : kept);
        QCOMPARE(edited.count(), accepted && editorText != kept ? 1 : 0);
    }

    void captionsAndUnits_cannotBeEdited()
    {
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
        m_grid->setCurrentCell(2, SpreadGrid::UnitsColumn);
        QTest::keyClick(m_grid.get(), Qt::Key_F2);
        QVERIFY(!m_grid->findChild<QLineEdit*>());
        QCOMPARE(m_grid->item(2, SpreadGrid::UnitsColumn)->text(), u"Seconds"_s);
        QCOMPARE(m_grid->horizontalHeaderItem(SpreadGrid::UnitsColumn)->text(), u"Units"_s);
    }
};

QTEST_MAIN(TestSpreadGrid)
#include "tst_SpreadGrid.moc"
