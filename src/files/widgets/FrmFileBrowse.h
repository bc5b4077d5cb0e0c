#pragma once

#include "DosPathMapper.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

class QAbstractItemView;
class QComboBox;
class QHelpEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// What the file dialog is opened for.
enum class FileAction : std::int16_t
{
    ReadFile = 0,
    SaveFile = 1
};

// The program's own file browser for choosing the parameter file to read or to save. It
// only chooses: OK reports the upper-cased name box text, restores the main window and
// unloads the dialog; Cancel only hides it. Modeless and top-level; while it is up the main
// window stays minimised.
class FrmFileBrowse : public QWidget
{
    Q_OBJECT

public:
    FrmFileBrowse(QWidget* mainWindow, FileAction action);

    // Set before the dialog is shown again; the title follows it.
    void setFileAction(FileAction action) { m_action = action; }
    FileAction fileAction() const { return m_action; }
    // The drive letters and folders of this host, as the chosen path uses them.
    const DosPathMapper& mapper() const { return m_mapper; }

    // The host folder the folder and file lists show.
    QString currentFolder() const { return m_folder; }
    // The pattern the file list filters with ("*.PRS" on a fresh load, "*.prs" once picked).
    QString filePattern() const { return m_pattern; }
    // Moves the folder list to a host folder; false when it cannot be shown.
    bool setFolder(const QString& hostFolder);

Q_SIGNALS:
    // OK was pressed: the path as entered, upper-cased, and the file name as the user picked
    // it in the list or typed it, in its own case (among files whose names differ only in
    // case it tells which one is meant). The main window is restored after the receivers ran.
    void fileChosen(const QString& path, const QString& chosenName);

public Q_SLOTS:
    void Form_Activate();
    void DrvPick_Change(int index);
    void DirPick_Change();
    void DirPick_Click();
    void FilList_Click();
    void FilList_DblClick();
    void CmbFileType_Click(int index);
    void CmdOkay_Click();
    void CmdCancel_Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Unload();
    void FocusFileName();
    void fillFolderList();
    void fillFileList();
    void selectDriveOfFolder();
    QString folderText() const;
    // Puts a file of the list into the name box, as a click or an arrow key does.
    void putFileName(const QListWidgetItem* item);
    // A list's entry whose name does not fit shows it whole in a tooltip; false for any
    // other point, where the list's own tooltip is shown.
    bool showWholeName(QAbstractItemView* view, QHelpEvent* event);
    // The list that holds the keyboard focus shows its selection in the highlight colour,
    // the other one in grey, so the user sees where the arrow keys act.
    void showFocus(QAbstractItemView* view, bool focused);
    void restoreMainWindow();

    QPointer<QWidget> m_mainWindow;
    FileAction m_action;
    DosPathMapper m_mapper;
    QString m_folder;
    QString m_pattern = QStringLiteral("*.PRS");
    // The file last put into the name box from the list, as stored on disk, and the text
    // it put there; OK hands on that name while the text is unchanged.
    QString m_pickedName;
    QString m_pickedText;
    // Set while another application holds the focus; coming back from there is not an
    // activation from within the program, so the dialog stays where the user put it.
    bool m_awayFromProgram = false;
    // Only showing the dialog refills the name box; coming back to it from the main window
    // keeps what was typed.
    bool m_refillName = true;

    QLineEdit* TxtFileName;
    QComboBox* CmbFileType;
    QComboBox* DrvPick;
    QTreeWidget* DirPick;
    QListWidget* FilList;
    QPushButton* CmdOkay;
    QPushButton* CmdCancel;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
};
