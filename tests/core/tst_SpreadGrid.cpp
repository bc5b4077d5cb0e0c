#include "SpreadGrid.h"

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
    {QStringLiteral("Overcount S.P."), QStringLiteral("Count"), 2, 9999999},
    {QStringLiteral("Warning S.P."), QStringLiteral("Count"), 2, 9999999},
    {QStringLiteral("Actual Count"), QStringLiteral("Count"), 0, 9999999},
    {QStringLiteral("Static Trip Pressure"), QStringLiteral("PSI"), 0, 99},
    {QStringLiteral("Static Pressure Timer"), QStringLiteral("Seconds"), 0, 255},
    {QStringLiteral("Count Trip Pressure"), QStringLiteral("PSI"), 0, 99},
    {QStringLiteral("Dynamic Trip Pressure"), QStringLiteral("PSI"), 0, 99},
    {QStringLiteral("Static Fault Count"), QStringLiteral("Count"), 0, 65535},
    {QStringLiteral("Dynamic Fault Count"), QStringLiteral("Count"), 0, 65535},
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
    void init();
    void cleanup();

    void setCellValue_showsNumber_withoutCellEdited();
    void enterText_acceptsOnlyWholeNumbersInRange_data();
    void enterText_acceptsOnlyWholeNumbersInRange();
    void typingInEditor_commitsOnlyAcceptableNumbers_data();
    void typingInEditor_commitsOnlyAcceptableNumbers();
    void enterOnOutOfRangeEntry_keepsEditorOpen_escapeKeepsOldValue();
    void captionsAndUnits_cannotBeEdited();
    void grid_fitsItsPlace_withHeaderAndAllRowsVisible();

private:
    QLineEdit* openEditor(int row);

    std::unique_ptr<SpreadGrid> m_grid;
};

void TestSpreadGrid::init()
{
    m_grid = std::make_unique<SpreadGrid>();
    m_grid->setRows(Rows);
    m_grid->resize(GridSize);
    for (int row = 1; row <= Rows.size(); ++row)
        m_grid->setCellValue(row, StartValue);
}

void TestSpreadGrid::cleanup()
{
    m_grid.reset();
}

QLineEdit* TestSpreadGrid::openEditor(int row)
{
    m_grid->setCurrentCell(row - 1, SpreadGrid::ValueColumn);
    QTest::keyClick(m_grid.get(), Qt::Key_F2);
    return m_grid->findChild<QLineEdit*>();
}

void TestSpreadGrid::setCellValue_showsNumber_withoutCellEdited()
{
    QSignalSpy edited(m_grid.get(), &SpreadGrid::CellEdited);

    m_grid->setCellValue(1, 9999999);
    m_grid->setCellValue(6, 42);

    QCOMPARE(m_grid->cellText(1), QStringLiteral("9999999"));
    QCOMPARE(m_grid->cellText(6), QStringLiteral("42"));
    QCOMPARE(m_grid->item(5, SpreadGrid::ValueColumn)->text(), QStringLiteral("42"));
    QCOMPARE(edited.count(), 0);
}

void TestSpreadGrid::enterText_acceptsOnlyWholeNumbersInRange_data()
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

void TestSpreadGrid::enterText_acceptsOnlyWholeNumbersInRange()
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

void TestSpreadGrid::typingInEditor_commitsOnlyAcceptableNumbers_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("commitKey");
    QTest::addColumn<QString>("editorText");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("accepted");

    const QString kept = QString::number(StartValue);
    const int enter = Qt::Key_Return;
    const int tab = Qt::Key_Tab;
    QTest::newRow("number, Enter") << 4 << "42" << enter << "42"
                                   << "42" << true;
    QTest::newRow("number, Tab") << 5 << "255" << tab << "255"
                                 << "255" << true;
    QTest::newRow("letters are not taken") << 6 << "4a2" << enter << "42"
                                           << "42" << true;
    QTest::newRow("minus sign is not taken") << 3 << "-5" << enter << "5"
                                             << "5" << true;
    QTest::newRow("same value again") << 4 << kept << enter << kept << kept << true;
    QTest::newRow("only letters") << 4 << "abc" << tab << "" << kept << false;
    QTest::newRow("only letters, Enter") << 4 << "abc" << enter << "" << kept << false;
    QTest::newRow("empty") << 7 << "" << tab << "" << kept << false;
    QTest::newRow("pressure above range") << 4 << "100" << tab << "100" << kept << false;
    QTest::newRow("set-point below range") << 1 << "1" << tab << "1" << kept << false;
    QTest::newRow("count above range") << 2 << "10000000" << tab << "10000000" << kept << false;
}

void TestSpreadGrid::typingInEditor_commitsOnlyAcceptableNumbers()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(int, commitKey);
    QFETCH(QString, editorText);
    QFETCH(QString, shown);
    QFETCH(bool, accepted);
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
        // A refused entry keeps the editor open; leaving the cell closes it without a commit.
        m_grid->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(!editor || !editor->isVisible(), 5000);
    }

    QCOMPARE(refused, !accepted);
    QCOMPARE(m_grid->cellText(row), shown);
    QCOMPARE(edited.count(), accepted && shown != QString::number(StartValue) ? 1 : 0);
}

void TestSpreadGrid::enterOnOutOfRangeEntry_keepsEditorOpen_escapeKeepsOldValue()
{
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QSignalSpy edited(m_grid.get(), &SpreadGrid::CellEdited);

    QPointer<QLineEdit> editor = openEditor(4);
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("150"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(editor);
    QCOMPARE(m_grid->cellText(4), QString::number(StartValue));

    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(editor.isNull(), 5000);
    QCOMPARE(m_grid->cellText(4), QString::number(StartValue));
    QCOMPARE(edited.count(), 0);
}

void TestSpreadGrid::captionsAndUnits_cannotBeEdited()
{
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));

    QVERIFY(!(m_grid->item(4, SpreadGrid::UnitsColumn)->flags() & Qt::ItemIsEditable));
    m_grid->setCurrentCell(4, SpreadGrid::UnitsColumn);
    QTest::keyClick(m_grid.get(), Qt::Key_F2);
    QVERIFY(!m_grid->findChild<QLineEdit*>());
    QCOMPARE(m_grid->item(4, SpreadGrid::UnitsColumn)->text(), QStringLiteral("Seconds"));
}

void TestSpreadGrid::grid_fitsItsPlace_withHeaderAndAllRowsVisible()
{
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QCOMPARE(m_grid->size(), GridSize);
    QCOMPARE(m_grid->horizontalHeaderItem(SpreadGrid::ValueColumn)->text(),
             QStringLiteral("Value"));
    QCOMPARE(m_grid->horizontalHeaderItem(SpreadGrid::UnitsColumn)->text(),
             QStringLiteral("Units"));
    QVERIFY(m_grid->horizontalHeader()->isVisible());

    const QWidget* viewport = m_grid->viewport();
    const QRect lastRow =
        m_grid->visualRect(m_grid->model()->index(Rows.size() - 1, SpreadGrid::ValueColumn));
    QVERIFY2(lastRow.bottom() < viewport->height(),
             qPrintable(QStringLiteral("last row ends at %1 of %2")
                            .arg(lastRow.bottom())
                            .arg(viewport->height())));
    const QRect units = m_grid->visualRect(m_grid->model()->index(0, SpreadGrid::UnitsColumn));
    QVERIFY(units.right() < viewport->width());
    QVERIFY(!m_grid->verticalScrollBar()->isVisible());
    QVERIFY(!m_grid->horizontalScrollBar()->isVisible());

    const QFontMetrics captionMetrics(m_grid->verticalHeader()->font());
    for (const GridRowSpec& row : Rows)
        QVERIFY(m_grid->verticalHeader()->width() > captionMetrics.horizontalAdvance(row.caption));
    const QFontMetrics cellMetrics(m_grid->font());
    QVERIFY(m_grid->columnWidth(SpreadGrid::UnitsColumn) >
            cellMetrics.horizontalAdvance(QStringLiteral("Seconds")));
    QVERIFY(m_grid->columnWidth(SpreadGrid::ValueColumn) >
            cellMetrics.horizontalAdvance(QStringLiteral("9999999")));
    QVERIFY(m_grid->rowHeight(0) >= cellMetrics.height());
}

QTEST_MAIN(TestSpreadGrid)
#include "tst_SpreadGrid.moc"
