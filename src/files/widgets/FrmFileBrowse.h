#pragma once

#include "DosPathMapper.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class MessageBoxes;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The program's own file browser for choosing the parameter file to read or to save.
// Modeless and top-level; while it is up the main window stays minimised. OK hands the
// upper-cased name box text to the read or save operation, then restores the main window
// and unloads the dialog; Cancel only hides it.
class FrmFileBrowse : public QWidget
{
    Q_OBJECT

public:
    FrmFileBrowse(QWidget* mainWindow, MessageBoxes& messages);

    // The host folder the folder and file lists show.
    QString currentFolder() const { return m_folder; }
    // The pattern the file list filters with ("*.PRS" on a fresh load, "*.prs" once picked).
    QString filePattern() const { return m_pattern; }

public slots:
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
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Unload();
    void FocusFileName();
    // Moves the folder list to a host folder; false when it cannot be shown.
    bool setFolder(const QString& hostFolder);
    void fillFolderList();
    void fillFileList();
    void selectDriveOfFolder();
    QString folderText() const;
    // Puts a file of the list into the name box, as a click or an arrow key does.
    void putFileName(const QListWidgetItem* item);
    void restoreMainWindow();

    QPointer<QWidget> m_mainWindow;
    MessageBoxes& m_messages;
    DosPathMapper m_mapper;
    QString m_folder;
    QString m_pattern = QStringLiteral("*.PRS");
    // The file last put into the name box from the list, as stored on disk, and the text
    // it put there; OK hands on that name while the text is unchanged.
    QString m_pickedName;
    QString m_pickedText;
    // Set while another application holds the focus; coming back from there is not an
    // activation from within the program, so the name box keeps what was typed.
    bool m_awayFromProgram = false;

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
