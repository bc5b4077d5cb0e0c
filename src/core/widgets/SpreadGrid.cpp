#include "SpreadGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QValidator>

#include <algorithm>

namespace {

// The grid row an open editor belongs to, kept on the editor for the moment it closes.
constexpr const char* EditedRow = "editedRow";
constexpr int NoteMilliseconds = 4000;

// Value cells hold plain digits only: no sign, no group separators, no spaces, so that the
// text of a cell always reads back as the number it shows. Digits that are not yet within
// the row's range are Intermediate: the editor shows them but cannot commit them.
QValidator::State checkWholeNumber(const QString& text, const GridRowSpec& row, std::int32_t* value)
{
    constexpr qsizetype MaxDigits = 10;
    if (text.isEmpty())
        return QValidator::Intermediate;
    const bool digitsOnly =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digitsOnly || text.size() > MaxDigits)
        return QValidator::Invalid;
    const qint64 number = text.toLongLong();
    if (number < row.minimum || number > row.maximum)
        return QValidator::Intermediate;
    if (value)
        *value = static_cast<std::int32_t>(number);
    return QValidator::Acceptable;
}

// The range a value cell accepts, as its tooltip tells it: "0 to 99".
QString rangeText(const GridRowSpec& row)
{
    return QStringLiteral("%1 to %2").arg(row.minimum).arg(row.maximum);
}

QString outOfRangeText(const GridRowSpec& row, const QString& text)
{
    return QStringLiteral("%1: %2 is out of range").arg(rangeText(row), text);
}

class WholeNumberValidator : public QValidator
{
public:
    WholeNumberValidator(const GridRowSpec& row, QObject* parent) : QValidator(parent), m_row(row)
    {}

    State validate(QString& input, int&) const override
    {
        return checkWholeNumber(input, m_row, nullptr);
    }

private:
    GridRowSpec m_row;
};

// Edits a value cell in a line editor that takes only the row's whole numbers; the commit
// goes through SpreadGrid::enterText, so typed and programmatic entries are checked alike.
class ValueCellDelegate : public QStyledItemDelegate
{
public:
    explicit ValueCellDelegate(SpreadGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (index.row() >= m_grid->rows().size())
            return editor;
        const GridRowSpec& row = m_grid->rows().at(index.row());
        editor->setProperty(EditedRow, index.row() + 1);
        editor->setValidator(new WholeNumberValidator(row, editor));
        editor->setToolTip(rangeText(row));
        // An entry that cannot be committed yet is shown in red, and a note under the cell,
        // shown at once, says why: leaving the cell would drop it.
        const QPalette normal = editor->palette();
        QObject::connect(editor, &QLineEdit::textChanged, editor,
                         [this, editor, normal, row] { showEntryState(*editor, normal, row); });
        return editor;
    }

    // Enter on an entry that cannot be committed keeps the editor open; the note tells why,
    // also for an emptied cell.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        const auto* editor = qobject_cast<QLineEdit*>(object);
        const auto* key =
            event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
        const bool enter = key && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
        const int gridRow = editor ? editor->property(EditedRow).toInt() : 0;
        if (enter && !editor->hasAcceptableInput() && gridRow >= 1 &&
            gridRow <= m_grid->rows().size()) {
            const GridRowSpec& row = m_grid->rows().at(gridRow - 1);
            m_grid->showNote(gridRow,
                             editor->text().isEmpty()
                                 ? QStringLiteral("%1: enter a whole number").arg(rangeText(row))
                                 : outOfRangeText(row, editor->text()));
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        const auto* lineEdit = qobject_cast<QLineEdit*>(editor);
        if (!lineEdit)
            return;
        const int row = index.row() + 1;
        if (lineEdit->text() != m_grid->cellText(row))
            m_grid->enterText(row, lineEdit->text());
    }

private:
    void showEntryState(QLineEdit& editor, const QPalette& normal, const GridRowSpec& row) const
    {
        const bool refused = !editor.hasAcceptableInput();
        // The editor takes digits only, so a refused non-empty entry is out of range.
        const bool explained = refused && !editor.text().isEmpty();
        QPalette palette = normal;
        if (refused)
            palette.setColor(QPalette::Text, Qt::red);
        editor.setPalette(palette);
        const QString note = explained ? outOfRangeText(row, editor.text()) : rangeText(row);
        editor.setToolTip(note);
        if (explained)
            m_grid->showNote(editor.property(EditedRow).toInt(), note);
        else
            m_grid->hideNote();
    }

    SpreadGrid* m_grid;
};

} // namespace

SpreadGrid::SpreadGrid(QWidget* parent) : QTableWidget(parent)
{
    QFont compact = font();
    compact.setPointSizeF(8.0);
    setFont(compact);

    setColumnCount(2);
    setHorizontalHeaderLabels({QStringLiteral("Value"), QStringLiteral("Units")});
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    // Tab leaves the grid for the next control instead of walking its cells.
    setTabKeyNavigation(false);
    setItemDelegateForColumn(ValueColumn, new ValueCellDelegate(this));

    m_note = new QLabel(this);
    m_note->setPalette(QToolTip::palette());
    m_note->setAutoFillBackground(true);
    m_note->setFrameShape(QFrame::Box);
    m_note->setMargin(2);
    m_note->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_note->hide();
    m_noteTimer.setSingleShot(true);
    m_noteTimer.setInterval(NoteMilliseconds);
    connect(&m_noteTimer, &QTimer::timeout, m_note, &QWidget::hide);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(UnitsColumn, QHeaderView::ResizeToContents);

    QHeaderView* captions = verticalHeader();
    captions->setSectionsClickable(false);
    captions->setHighlightSections(false);
    captions->setSectionResizeMode(QHeaderView::Fixed);
    captions->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    fitRowsToHeight();
}

void SpreadGrid::setRows(const QList<GridRowSpec>& rows)
{
    m_rows = rows;
    m_deviceValues = QList<std::optional<std::int32_t>>(rows.size());
    m_unacknowledgedValues = m_deviceValues;
    setRowCount(0);
    setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        setVerticalHeaderItem(i, new QTableWidgetItem(rows.at(i).caption));

        auto* value = new QTableWidgetItem;
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setToolTip(rangeText(rows.at(i)));
        setItem(i, ValueColumn, value);

        auto* units = new QTableWidgetItem(rows.at(i).units);
        units->setFlags(Qt::ItemIsEnabled);
        setItem(i, UnitsColumn, units);
    }
    fitRowsToHeight();
}

void SpreadGrid::setCellValue(int row, std::int32_t value)
{
    if (row < 1 || row > rowCount())
        return;
    if (QTableWidgetItem* cell = item(row - 1, ValueColumn))
        cell->setText(QString::number(value));
    updateMark(row);
}

QString SpreadGrid::cellText(int row) const
{
    if (row < 1 || row > rowCount())
        return {};
    const QTableWidgetItem* cell = item(row - 1, ValueColumn);
    return cell ? cell->text() : QString();
}

bool SpreadGrid::enterText(int row, const QString& text)
{
    if (row < 1 || row > rowCount() || row > m_rows.size())
        return false;
    QTableWidgetItem* cell = item(row - 1, ValueColumn);
    std::int32_t value = 0;
    if (!cell || checkWholeNumber(text, m_rows.at(row - 1), &value) != QValidator::Acceptable)
        return false;
    cell->setText(QString::number(value));
    updateMark(row);
    Q_EMIT CellEdited(ValueColumn, row);
    return true;
}

void SpreadGrid::setDeviceValue(int row, std::int32_t value)
{
    if (row < 1 || row > m_deviceValues.size())
        return;
    m_deviceValues[row - 1] = value;
    m_unacknowledgedValues[row - 1].reset();
    updateMark(row);
}

void SpreadGrid::setDeviceValueUnknown(int row, std::int32_t held, std::int32_t written)
{
    if (row < 1 || row > m_deviceValues.size())
        return;
    m_deviceValues[row - 1] = held;
    m_unacknowledgedValues[row - 1] = written;
    updateMark(row);
}

void SpreadGrid::showNote(int row, const QString& text)
{
    const QModelIndex index = model()->index(row - 1, ValueColumn);
    if (!index.isValid())
        return;
    const QRect cell = visualRect(index).translated(viewport()->pos());
    const int available = width() - 2 * frameWidth();
    m_note->setWordWrap(false);
    m_note->setText(text);
    QSize size = m_note->sizeHint();
    if (size.width() > available) {
        m_note->setWordWrap(true);
        size = QSize(available, m_note->heightForWidth(available));
    }
    m_note->resize(size);
    // Under the cell, or over it where the grid ends below.
    QPoint at(cell.left(), cell.bottom() + 1);
    if (at.y() + size.height() > height())
        at.setY(cell.top() - size.height());
    at.setX(std::clamp(at.x(), 0, std::max(0, width() - size.width())));
    m_note->move(at);
    m_note->show();
    m_note->raise();
    m_noteTimer.start();
}

void SpreadGrid::hideNote()
{
    m_noteTimer.stop();
    m_note->hide();
}

QString SpreadGrid::note() const
{
    return m_note->isHidden() ? QString() : m_note->text();
}

void SpreadGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const auto* entry = qobject_cast<QLineEdit*>(editor);
    const int row = editor ? editor->property(EditedRow).toInt() : 0;
    // Leaving a cell, by a click elsewhere or by the keyboard, drops an entry it cannot take;
    // the note says so where the user was typing. Escape drops it on purpose.
    const bool dropped = entry && !entry->hasAcceptableInput() && row >= 1 &&
                         row <= m_rows.size() && entry->text() != cellText(row) &&
                         hint != QAbstractItemDelegate::RevertModelCache;
    if (dropped) {
        const GridRowSpec& limits = m_rows.at(row - 1);
        const QString kept = QStringLiteral("the cell keeps %1").arg(cellText(row));
        showNote(row,
                 entry->text().isEmpty()
                     ? QStringLiteral("%1: %2").arg(rangeText(limits), kept)
                     : QStringLiteral("%1; %2").arg(outOfRangeText(limits, entry->text()), kept));
    } else {
        hideNote();
    }
    QTableWidget::closeEditor(editor, hint);
}

void SpreadGrid::updateMark(int row)
{
    QTableWidgetItem* cell = item(row - 1, ValueColumn);
    if (!cell || row > m_rows.size())
        return;
    const GridRowSpec& limits = m_rows.at(row - 1);
    const std::optional<std::int32_t> held = m_deviceValues.value(row - 1);
    const std::optional<std::int32_t> written = m_unacknowledgedValues.value(row - 1);
    const bool marked = held && cell->text() != QString::number(*held);
    bool isNumber = false;
    const qint64 shown = cell->text().toLongLong(&isNumber);
    const bool outside = isNumber && (shown < limits.minimum || shown > limits.maximum);
    QString tip = outside ? outOfRangeText(limits, cell->text()) : rangeText(limits);
    if (held && written)
        tip += QStringLiteral("\nDevice may hold %1 or %2: the write was not acknowledged")
                   .arg(*held)
                   .arg(*written);
    else if (marked)
        tip += QStringLiteral("\nDevice holds %1").arg(*held);
    // An unmarked cell keeps no font or colour of its own and so follows the grid's.
    QFont markFont = font();
    markFont.setBold(marked);
    markFont.setItalic(held && written);
    const QVariant shownFont = marked || (held && written) ? QVariant(markFont) : QVariant();
    const QVariant shownColour = outside ? QVariant(QBrush(Qt::red)) : QVariant();
    // Only real changes are written, so an unchanged mark costs no repaint.
    if (cell->toolTip() != tip)
        cell->setToolTip(tip);
    if (cell->data(Qt::FontRole) != shownFont)
        cell->setData(Qt::FontRole, shownFont);
    if (cell->data(Qt::ForegroundRole) != shownColour)
        cell->setData(Qt::ForegroundRole, shownColour);
}

void SpreadGrid::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    fitRowsToHeight();
}

void SpreadGrid::changeEvent(QEvent* event)
{
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitRowsToHeight();
    if (event->type() == QEvent::FontChange) {
        for (int row = 1; row <= rowCount(); ++row)
            updateMark(row);
    }
}

void SpreadGrid::fitRowsToHeight()
{
    const QFontMetrics metrics(font());
    const int smallestHeader = metrics.height() + 4;
    const int rows = rowCount();
    const int available = height() - 2 * frameWidth();
    if (rows == 0) {
        horizontalHeader()->setFixedHeight(smallestHeader);
        return;
    }
    // The rows share the height below the header; a few of them take one pixel more so
    // that the last row ends at the bottom edge.
    const int rowHeight = std::max(metrics.height(), (available - smallestHeader) / rows);
    const int leftOver = std::max(0, available - smallestHeader - rows * rowHeight);
    horizontalHeader()->setFixedHeight(smallestHeader);
    verticalHeader()->setMinimumSectionSize(metrics.height());
    verticalHeader()->setDefaultSectionSize(rowHeight);
    for (int i = 0; i < rows; ++i)
        setRowHeight(i, rowHeight + (i < leftOver ? 1 : 0));
}
