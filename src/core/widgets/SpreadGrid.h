#pragma once

#include <QTableWidget>
#include <QTimer>

#include <cstdint>
#include <optional>

// One row of the grid: its caption, its units text and the range its value cell accepts.
struct GridRowSpec
{
    QString caption;
    QString units;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};

// The parameter grid: a caption column (the row headers), a value column headed "Value"
// and a units column headed "Units". Value cells take only whole numbers within their
// row's range; captions and units are fixed text. Rows are numbered from 1.
class QLabel;

class SpreadGrid : public QTableWidget
{
    Q_OBJECT

public:
    // The captions are the row headers, so the value column is the first column.
    static constexpr int ValueColumn = 0;
    static constexpr int UnitsColumn = 1;

    explicit SpreadGrid(QWidget* parent = nullptr);

    void setRows(const QList<GridRowSpec>& rows);
    const QList<GridRowSpec>& rows() const { return m_rows; }

    void setCellValue(int row, std::int32_t value);
    QString cellText(int row) const;

    // Enters text into a value cell as the user's editor would: refused (false, cell
    // unchanged, no CellEdited) unless it is a whole number within the row's range.
    // An accepted entry is stored in its plain form ("007" shows as 7) and raises CellEdited.
    bool enterText(int row, const QString& text);

    // The value the device holds for a row. A cell showing another value is marked: bold,
    // its tooltip adding "Device holds" and that value. Rows without one are never marked.
    // A cell showing a value outside its row's range, however it got there, is red as a
    // refused entry is, its tooltip naming the range and the value.
    void setDeviceValue(int row, std::int32_t value);
    // A write to the device that it never acknowledged: the device holds one of the two
    // values, and the cell is marked as unknown (italic) whatever it shows, until the next
    // setDeviceValue for the row.
    void setDeviceValueUnknown(int row, std::int32_t held, std::int32_t written);

    // A short note just under a value cell, where the user looks while editing it, such as
    // why an entry was refused. It goes after a few seconds or with hideNote.
    void showNote(int row, const QString& text);
    void hideNote();
    // The note shown now, empty when there is none.
    QString note() const;

Q_SIGNALS:
    // Raised after the user changed a value cell (ValueColumn, row from 1); not by
    // setCellValue. The editor raises it only when the committed text differs.
    void CellEdited(int column, int row);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    // Shares the height among the header and the rows so that all rows show at once.
    void fitRowsToHeight();
    void updateMark(int row);

    QList<GridRowSpec> m_rows;
    QList<std::optional<std::int32_t>> m_deviceValues;
    QLabel* m_note;
    QTimer m_noteTimer;
    // The value of an unacknowledged write, beside the one the device held before it.
    QList<std::optional<std::int32_t>> m_unacknowledgedValues;
};
