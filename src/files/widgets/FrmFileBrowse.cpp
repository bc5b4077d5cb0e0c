#include "FrmFileBrowse.h"

#include "CompactFont.h"
#include "PathRules.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int FolderPathRole = Qt::UserRole;

} // namespace

FrmFileBrowse::FrmFileBrowse(QWidget* mainWindow, FileAction action)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_mainWindow(mainWindow), m_action(action), m_mapper(DosPathMapper::forThisHost())
{
    setObjectName(QStringLiteral("FrmFileBrowse"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("File Browser"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    setFixedSize(twips(0, 0, 4980, 4710).size());
    setFont(compactFont(font()));

    TxtFileName = new QLineEdit(this);
    TxtFileName->setGeometry(twips(1440, 3360, 3255, 285));
    TxtFileName->setToolTip(QStringLiteral("Use to Specify File  in Drive:\\Path\\Name Format"));

    CmbFileType = new QComboBox(this);
    CmbFileType->setGeometry(twips(1440, 3720, 3255, 315));
    CmbFileType->setToolTip(QStringLiteral("Use to Select File Type"));
    CmbFileType->setEditable(true);
    CmbFileType->setInsertPolicy(QComboBox::NoInsert);
    CmbFileType->addItems(
        {QStringLiteral("*.PRS"), QStringLiteral("*.TXT"), QStringLiteral("*.*")});
    CmbFileType->setCurrentIndex(-1);
    CmbFileType->setEditText(QStringLiteral("*.PRS"));

    DrvPick = new QComboBox(this);
    DrvPick->setGeometry(twips(1080, 120, 3615, 315));
    DrvPick->setToolTip(QStringLiteral("Use to Choose Current Drive."));
    for (const DosPathMapper::Drive& drive : m_mapper.drives()) {
        QString text = QString(drive.letter) + QLatin1Char(':');
        if (drive.root != QLatin1String("/") && drive.root.size() > 3)
            text += QStringLiteral(" [%1]").arg(QFileInfo(drive.root).fileName());
        DrvPick->addItem(text, QVariant(drive.letter));
    }

    DirPick = new QTreeWidget(this);
    DirPick->setGeometry(twips(240, 840, 2175, 2340));
    DirPick->setToolTip(QStringLiteral("Use To Select Directory."));
    DirPick->setHeaderHidden(true);
    DirPick->setRootIsDecorated(false);
    DirPick->setIndentation(8);

    FilList = new QListWidget(this);
    FilList->setGeometry(twips(2640, 840, 2055, 2430));
    FilList->setToolTip(QStringLiteral("Use To Select an Existing File."));

    CmdOkay = new QPushButton(QStringLiteral("&Okay"), this);
    CmdOkay->setGeometry(twips(960, 4200, 1335, 375));
    CmdOkay->setToolTip(QStringLiteral("Press to Use Current File Name."));
    CmdOkay->setAutoDefault(false);

    CmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    CmdCancel->setGeometry(twips(2640, 4200, 1335, 375));
    CmdCancel->setToolTip(QStringLiteral("Press to Cancel Selection."));
    CmdCancel->setAutoDefault(false);

    QFont labelFont = font();
    labelFont.setBold(true);
    const auto makeLabel = [&](const QString& text, const QRect& place) {
        auto* label = new QLabel(text, this);
        label->setGeometry(place);
        label->setFont(labelFont);
        return label;
    };
    Label1 = makeLabel(QStringLiteral("Look In:"), twips(240, 120, 735, 255));
    Label2 = makeLabel(QStringLiteral("Path Name:"), twips(240, 600, 1095, 255));
    Label3 = makeLabel(QStringLiteral("Files In This Directory:"), twips(2640, 600, 2055, 255));
    Label4 = makeLabel(QStringLiteral("File Name:"), twips(240, 3360, 975, 255));
    Label5 = makeLabel(QStringLiteral("File Type:"), twips(240, 3720, 975, 255));

    TxtFileName->setObjectName(QStringLiteral("TxtFileName"));
    CmbFileType->setObjectName(QStringLiteral("CmbFileType"));
    DrvPick->setObjectName(QStringLiteral("DrvPick"));
    DirPick->setObjectName(QStringLiteral("DirPick"));
    FilList->setObjectName(QStringLiteral("FilList"));
    CmdOkay->setObjectName(QStringLiteral("CmdOkay"));
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5->setObjectName(QStringLiteral("Label5"));

    setTabOrder(TxtFileName, CmbFileType);
    setTabOrder(CmbFileType, DrvPick);
    setTabOrder(DrvPick, DirPick);
    setTabOrder(DirPick, FilList);
    setTabOrder(FilList, CmdOkay);
    setTabOrder(CmdOkay, CmdCancel);

    connect(DrvPick, &QComboBox::activated, this, &FrmFileBrowse::DrvPick_Change);
    connect(DirPick, &QTreeWidget::itemClicked, this, &FrmFileBrowse::DirPick_Click);
    connect(DirPick, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        // The folder list is rebuilt on a change, so the opening waits until the list has
        // finished handling the activation of the item it is about to delete.
        const QString path = item->data(0, FolderPathRole).toString();
        QTimer::singleShot(0, this, [this, path] { setFolder(path); });
    });
    connect(FilList, &QListWidget::itemClicked, this, &FrmFileBrowse::FilList_Click);
    // The arrow keys pick a file as a click does but leave the focus in the list, where
    // Enter then acts as Okay.
    connect(FilList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = FilList->selectedItems();
        if (!selected.isEmpty())
            putFileName(selected.first());
    });
    FilList->installEventFilter(this);
    connect(FilList, &QListWidget::itemDoubleClicked, this, &FrmFileBrowse::FilList_DblClick);
    connect(CmbFileType, &QComboBox::activated, this, &FrmFileBrowse::CmbFileType_Click);
    connect(CmdOkay, &QPushButton::clicked, this, &FrmFileBrowse::CmdOkay_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmFileBrowse::CmdCancel_Click);
    connect(TxtFileName, &QLineEdit::returnPressed, this, &FrmFileBrowse::CmdOkay_Click);
    DirPick->viewport()->installEventFilter(this);
    FilList->viewport()->installEventFilter(this);
    DirPick->installEventFilter(this);
    showFocus(DirPick, false);
    showFocus(FilList, false);
    // Another window of this program taking the focus brings the user back into the program.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window && window != windowHandle())
            m_awayFromProgram = false;
    });

    if (!setFolder(QDir::currentPath()) && !m_mapper.drives().isEmpty())
        setFolder(m_mapper.drives().first().root);
}

bool FrmFileBrowse::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
        m_awayFromProgram = false;
        m_refillName = true;
        Form_Activate();
        break;
    case QEvent::WindowActivate:
        if (!m_awayFromProgram)
            Form_Activate();
        m_awayFromProgram = false;
        break;
    case QEvent::WindowDeactivate:
        // No active window left means the focus went to another application.
        m_awayFromProgram = QApplication::activeWindow() == nullptr;
        break;
    default:
        break;
    }
    return handled;
}

bool FrmFileBrowse::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FilList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CmdOkay_Click();
            return true;
        }
    }
    if ((watched == DirPick || watched == FilList) &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        showFocus(static_cast<QAbstractItemView*>(watched), event->type() == QEvent::FocusIn);
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (watched == DirPick->viewport() && showWholeName(DirPick, help))
            return true;
        if (watched == FilList->viewport() && showWholeName(FilList, help))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmFileBrowse::showFocus(QAbstractItemView* view, bool focused)
{
    QPalette colours = palette();
    if (!focused) {
        colours.setColor(QPalette::Highlight, colours.color(QPalette::Midlight));
        colours.setColor(QPalette::HighlightedText, colours.color(QPalette::Text));
    }
    view->setPalette(colours);
}

void FrmFileBrowse::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        CmdCancel_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool FrmFileBrowse::showWholeName(QAbstractItemView* view, QHelpEvent* event)
{
    const QModelIndex index = view->indexAt(event->pos());
    if (!index.isValid())
        return false;
    const QRect place = view->visualRect(index);
    const int visible =
        std::min(place.right() + 1, view->viewport()->width()) - std::max(place.left(), 0);
    if (view->sizeHintForIndex(index).width() <= visible)
        return false;
    QToolTip::showText(event->globalPos(), index.data().toString(), view->viewport(), place);
    return true;
}

void FrmFileBrowse::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void FrmFileBrowse::Form_Activate()
{
    centreOnScreen(*this);
    if (m_refillName) {
        TxtFileName->setFocus();
        TxtFileName->setText(folderText().toUpper());
        TxtFileName->setCursorPosition(int(TxtFileName->text().size()));
        m_refillName = false;
    }
    setWindowTitle(m_action == FileAction::SaveFile ? QStringLiteral("Save File")
                                                    : QStringLiteral("Read File"));
}

void FrmFileBrowse::Form_Unload()
{
    restoreMainWindow();
}

void FrmFileBrowse::FocusFileName()
{
    TxtFileName->setFocus();
    TxtFileName->setCursorPosition(int(TxtFileName->text().size()));
}

void FrmFileBrowse::DrvPick_Change(int index)
{
    const QChar letter = DrvPick->itemData(index).toChar();
    if (!setFolder(m_mapper.driveRoot(letter)))
        selectDriveOfFolder();
    FocusFileName();
}

void FrmFileBrowse::DirPick_Change()
{
    fillFileList();
    TxtFileName->setText(folderText().toUpper());
    FocusFileName();
}

void FrmFileBrowse::DirPick_Click()
{
    FocusFileName();
}

void FrmFileBrowse::FilList_Click()
{
    putFileName(FilList->currentItem());
    FocusFileName();
}

void FrmFileBrowse::putFileName(const QListWidgetItem* item)
{
    if (!item)
        return;
    m_pickedName = item->text();
    TxtFileName->setText((folderText() + item->text()).toUpper());
    m_pickedText = TxtFileName->text();
}

void FrmFileBrowse::FilList_DblClick()
{
    FocusFileName();
}

void FrmFileBrowse::CmbFileType_Click(int index)
{
    static const QStringList patterns{QStringLiteral("*.prs"), QStringLiteral("*.txt"),
                                      QStringLiteral("*.*")};
    if (index >= 0 && index < patterns.size()) {
        m_pattern = patterns[index];
        fillFileList();
    }
    FocusFileName();
}

void FrmFileBrowse::CmdOkay_Click()
{
    const QString entered = TxtFileName->text();
    hide();
    Q_EMIT fileChosen(entered.toUpper(),
                      entered == m_pickedText
                          ? m_pickedName
                          : PathRules::fileNameOf(PathRules::resolveDots(entered)));
    restoreMainWindow();
    close();
}

void FrmFileBrowse::CmdCancel_Click()
{
    hide();
    restoreMainWindow();
}

bool FrmFileBrowse::setFolder(const QString& hostFolder)
{
    if (hostFolder.isEmpty())
        return false;
    const QFileInfo info(hostFolder);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        return false;
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    if (m_mapper.toDos(folder).isEmpty())
        return false;
    m_folder = folder;
    fillFolderList();
    selectDriveOfFolder();
    DirPick_Change();
    return true;
}

void FrmFileBrowse::fillFolderList()
{
    DirPick->clear();
    const QString dos = m_mapper.toDos(m_folder);
    const QChar letter = dos.at(0);
    QString path = QDir::cleanPath(m_mapper.driveRoot(letter));

    auto* item = new QTreeWidgetItem(DirPick, {QString(letter) + QLatin1String(":\\")});
    item->setData(0, FolderPathRole, path);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
    const QStringList chain = dos.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& name : chain) {
        path = path.endsWith(QLatin1Char('/')) ? path + name : path + QLatin1Char('/') + name;
        const QString shown = QFileInfo(path).fileName();
        item = new QTreeWidgetItem(item, {shown});
        item->setData(0, FolderPathRole, path);
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
    }
    QTreeWidgetItem* current = item;

    const QDir folder(m_folder);
    for (const QString& name :
         folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* child = new QTreeWidgetItem(current, {name});
        child->setData(0, FolderPathRole, folder.filePath(name));
        child->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
    }
    DirPick->expandAll();
    DirPick->setCurrentItem(current);
    DirPick->scrollToItem(current);
}

void FrmFileBrowse::fillFileList()
{
    QDir folder(m_folder);
    folder.setNameFilters({m_pattern});
    folder.setFilter(QDir::Files);
    folder.setSorting(QDir::Name | QDir::IgnoreCase);
    FilList->clear();
    FilList->addItems(folder.entryList());
}

void FrmFileBrowse::selectDriveOfFolder()
{
    const QString dos = m_mapper.toDos(m_folder);
    if (dos.isEmpty())
        return;
    const QSignalBlocker blocker(DrvPick);
    DrvPick->setCurrentIndex(DrvPick->findData(QVariant(dos.at(0))));
}

QString FrmFileBrowse::folderText() const
{
    return PathRules::folderText(m_mapper.toDos(m_folder));
}

void FrmFileBrowse::restoreMainWindow()
{
    if (!m_mainWindow)
        return;
    m_mainWindow->setWindowState(m_mainWindow->windowState() & ~Qt::WindowMinimized);
    m_mainWindow->show();
}
