#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// The parameter rows as the main window shows them; their texts decide the column widths.
const QList<GridRowSpec> Rows{
    {u"Overcount S.P."_s, u"Count"_s, 2, 9999999},
    {u"Warning S.P."_s, u"Count"_s, 2, 9999999},
    {u"Actual Count"_s, u"Count"_s, 0, 9999999},
    {u"Static Trip Pressure"_s, u"PSI"_s, 0, 99},
    {u"Static Pressure Timer"_s, u"Seconds"_s, 0, 255},
    {u"Count Trip Pressure"_s, u"PSI"_s, 0, 99},
    {u"Dynamic Trip Pressure"_s, u"PSI"_s, 0, 99},
    {u"Static Fault Count"_s, u"Count"_s, 0, 65535},
    {u"Dynamic Fault Count"_s, u"Count"_s, 0, 65535},
};

// The grid's place on the main window.
constexpr QSize GridSize(273, 161);

// Every row starts with a value that all nine ranges accept.
constexpr int StartValue = 7;

} // namespace

class TestSpreadGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_grid = std::make_unique<SpreadGrid>();
        m_grid->setRows(Rows);
        m_grid->resize(GridSize);
        for (int row = 1; row <= Rows.size(); ++row)
            m_grid->setCellValue(row, StartValue);
    }

    void cleanup() { m_grid.reset(); }

    void setCellValue_showsNumber_withoutCellEdited()
    {
        QSignalSpy edited(m_grid.get(), &SpreadGrid::CellEdited);

        m_grid->setCellValue(1, 9999999);
        m_grid->setCellValue(6, 42);

        QCOMPARE(m_grid->cellText(1), u"9999999"_s);
        QCOMPARE(m_grid->cellText(6), u"42"_s);
        QCOMPARE(m_grid->item(5, SpreadGrid::ValueColumn)->text(), u"42"_s);
        QCOMPARE(edited.count(), 0);
    }

    void enterText_acceptsOnlyWholeNumbersInRange_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("shown");

        const QString kept = QString::number(StartValue);
        QTest::newRow("pressure within range") << 4 << "55" << true << "55";
        QTest::newRow("pressure at top of range") << 7 << "99" << true << "99";
        QTest::newRow("pressure above range") << 4 << "100" << false << kept;
        QTest::newRow("timer at top of range") << 5 << "255" << true << "255";
        QTest::newRow("timer above range") << 5 << "256" << false << kept;
        QTest::newRow("count at top of range") << 1 << "9999999" << true << "9999999";
        QTest::newRow("count above range") << 1 << "10000000" << false << kept;
        QTest::newRow("set-point below range") << 2 << "1" << false << kept;
        QTest::newRow("fault count at top of range") << 9 << "65535" << true << "65535";
        QTest::newRow("fault count above range") << 8 << "65536" << false << kept;
        QTest::newRow("zero") << 3 << "0" << true << "0";
        QTest::newRow("leading zeros") << 4 << "007" << true << "7";
        QTest::newRow("same value again") << 4 << kept << true << kept;
        QTest::newRow("empty") << 4 << "" << false << kept;
        QTest::newRow("letters") << 4 << "abc" << false << kept;
        QTest::newRow("negative") << 3 << "-1" << false << kept;
        QTest::newRow("fraction") << 4 << "12.5" << false << kept;
        QTest::newRow("group separator") << 1 << "1,000" << false << kept;
        QTest::newRow("spaces") << 4 << " 12" << false << kept;
        QTest::newRow("plus sign") << 4 << "+12" << false << kept;
        QTest::newRow("beyond 32 bits") << 1 << "99999999999" << false << kept;
        QTest::newRow("no such row") << 10 << "5" << false << "";
    }

    void enterText_acceptsOnlyWholeNumbersInRange()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QString, shown);
        QSignalSpy edited(m_grid.get(), &SpreadGrid::CellEdited);

        QCOMPARE(m_grid->enterText(row, text), accepted);

        QCOMPARE(m_grid->cellText(row), shown);
        QCOMPARE(edited.count(), accepted ? 1 : 0);
        if (accepted) {
            QCOMPARE(edited.first().at(0).toInt(), SpreadGrid::ValueColumn);
            QCOMPARE(edited.first().at(1).toInt(), row);
        }
    }

    // An accepted entry shows what the editor held; a refused one leaves the old value.
    void typingInEditor_commitsOnlyAcceptableNumbers_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("commitKey");
        QTest::addColumn<QString>("editorText");
        QTest::addColumn<bool>("accepted");
        const QString kept = QString::number(StartValue);
        const int enter = Qt::Key_Return;
        const int tab = Qt::Key_Tab;
        QTest::newRow("number, Enter") << 4 << u"42"_s << enter << u"42"_s << true;
        QTest::newRow("number, Tab") << 5 << u"255"_s << tab << u"255"_s << true;
        QTest::newRow("letters are not taken") << 6 << u"4a2"_s << enter << u"42"_s << true;
        QTest::newRow("minus sign is not taken") << 3 << u"-5"_s << enter << u"5"_s << true;
        QTest::newRow("same value again") << 4 << kept << enter << kept << true;
        QTest::newRow("only letters") << 4 << u"abc"_s << tab << QString() << false;
        QTest::newRow("only letters, Enter") << 4 << u"abc"_s << enter << QString() << false;
        QTest::newRow("empty") << 7 << QString() << tab << QString() << false;
        QTest::newRow("pressure above range") << 4 << u"100"_s << tab << u"100"_s << false;
        QTest::newRow("pressure above range, Enter") << 4 << u"150"_s << enter << u"150"_s << false;
        QTest::newRow("set-point below range") << 1 << u"1"_s << tab << u"1"_s << false;
        QTest::newRow("count above range") << 2 << u"10000000"_s << tab << u"10000000"_s << false;
    }

    void typingInEditor_commitsOnlyAcceptableNumbers()
    {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(int, commitKey);
        QFETCH(QString, editorText);
        QFETCH(bool, accepted);
        const QString kept = QString::number(StartValue);
        const QString shown = accepted ? editorText : kept;
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
        if (refused) {
            // A refused entry keeps the editor open and the old value; Escape, or leaving the
            // cell, closes it without a commit.
            QCOMPARE(m_grid->cellText(row), kept);
            if (commitKey == Qt::Key_Return)
                QTest::keyClick(editor, Qt::Key_Escape);
            else
                m_grid->setFocus();
            QTRY_VERIFY_WITH_TIMEOUT(!editor || !editor->isVisible(), 5000);
        }

        QCOMPARE(refused, !accepted);
        QCOMPARE(m_grid->cellText(row), shown);
        QCOMPARE(edited.count(), accepted && shown != kept ? 1 : 0);
    }

    void captionsAndUnits_cannotBeEdited()
    {
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));

        QVERIFY(!(m_grid->item(4, SpreadGrid::UnitsColumn)->flags() & Qt::ItemIsEditable));
        m_grid->setCurrentCell(4, SpreadGrid::UnitsColumn);
        QTest::keyClick(m_grid.get(), Qt::Key_F2);
        QVERIFY(!m_grid->findChild<QLineEdit*>());
        QCOMPARE(m_grid->item(4, SpreadGrid::UnitsColumn)->text(), u"Seconds"_s);
    }

    void grid_fitsItsPlace_withHeaderAndAllRowsVisible()
    {
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
        QCOMPARE(m_grid->size(), GridSize);
        QCOMPARE(m_grid->horizontalHeaderItem(SpreadGrid::ValueColumn)->text(), u"Value"_s);
        QCOMPARE(m_grid->horizontalHeaderItem(SpreadGrid::UnitsColumn)->text(), u"Units"_s);
        QVERIFY(m_grid->horizontalHeader()->isVisible());

        const QWidget* viewport = m_grid->viewport();
        const QRect lastRow =
            m_grid->visualRect(m_grid->model()->index(Rows.size() - 1, SpreadGrid::ValueColumn));
        QVERIFY2(lastRow.bottom() < viewport->height(),
                 qPrintable(
                     u"last row ends at %1 of %2"_s.arg(lastRow.bottom()).arg(viewport->height())));
        const QRect units = m_grid->visualRect(m_grid->model()->index(0, SpreadGrid::UnitsColumn));
        QVERIFY(units.right() < viewport->width());
        QVERIFY(!m_grid->verticalScrollBar()->isVisible());
        QVERIFY(!m_grid->horizontalScrollBar()->isVisible());

        const QFontMetrics captionMetrics(m_grid->verticalHeader()->font());
        for (const GridRowSpec& row : Rows)
            QVERIFY(m_grid->verticalHeader()->width() >
                    captionMetrics.horizontalAdvance(row.caption));
        const QFontMetrics cellMetrics(m_grid->font());
        QVERIFY(m_grid->columnWidth(SpreadGrid::UnitsColumn) >
                cellMetrics.horizontalAdvance(u"Seconds"_s));
        QVERIFY(m_grid->columnWidth(SpreadGrid::ValueColumn) >
                cellMetrics.horizontalAdvance(u"9999999"_s));
        QVERIFY(m_grid->rowHeight(0) >= cellMetrics.height());
    }

    void redEntry_saysWhyInItsTooltip()
    {
        m_grid->show();
        QLineEdit* editor = openEditor(4);
        QVERIFY(editor);
        editor->setText(u"150"_s);
        QCOMPARE(editor->toolTip(), u"0 to 99: 150 is out of range"_s);
    }

private:
    QLineEdit* openEditor(int row)
    {
        m_grid->setCurrentCell(row - 1, SpreadGrid::ValueColumn);
        QTest::keyClick(m_grid.get(), Qt::Key_F2);
        return m_grid->findChild<QLineEdit*>();
    }

    std::unique_ptr<SpreadGrid> m_grid;
};

QTEST_MAIN(TestSpreadGrid)
#include "tst_SpreadGrid.moc"
