#include "converter/app/keldrune_dlg.h"

#include "core/database.h"
#include "core/deployment.h"
#include "core/paths.h"
#include "core/string_table.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "ui_keldrune_about.h"
#include "ui_keldrune_dlg.h"
#include "updater/companion_end.h"
#include "updater/companion_log.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>

#include <sys/stat.h>

namespace {

CKeldruneDlg::FileChooser& Chooser() {
    static CKeldruneDlg::FileChooser chooser;
    return chooser;
}

QString Title() {
    return QString::fromLatin1(kProductDisplayName);
}

void NameControls(QWidget* dialog) {
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        const QVariant id = child->property("controlId");
        if (id.isValid())
            child->setObjectName(id.toString());
    }
}

// "<source>.Cov", or the first free "<source>.Cov<n>": an earlier file is never replaced.
QString FreeConvertedName(const QString& source) {
    QString name = source + QStringLiteral(".Cov");
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = source + QStringLiteral(".Cov") + QString::number(n);
    return name;
}

} // namespace

CKeldruneAboutDlg::CKeldruneAboutDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CKeldruneAboutDlg>()) {
    m_ui->setupUi(this);
    NameControls(this);
    if (parent)
        m_ui->iconLabel->setPixmap(parent->windowIcon().pixmap(32, 32));
}

CKeldruneAboutDlg::~CKeldruneAboutDlg() = default;

void CKeldruneDlg::SetFileChooser(FileChooser chooser) {
    Chooser() = std::move(chooser);
}

CKeldruneDlg::CKeldruneDlg(bool automatic, const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CKeldruneDlg>()), m_folder(programFolder),
      m_auto(automatic) {
    m_ui->setupUi(this);
    NameControls(this);
    OnInitDialog();
}

void CKeldruneDlg::OnInitDialog() {
    companion::LogOpen(QStringLiteral("convert"), true);
    companion::LogWriteW(QStringLiteral("start"));

    // No system menu here: the About entry lives in the context menu.
    const QString aboutText = LoadStr(kIdsConverterAbout);
    if (!aboutText.isEmpty()) {
        auto* about = new QAction(aboutText, this);
        about->setObjectName(QStringLiteral("16"));
        connect(about, &QAction::triggered, this, &CKeldruneDlg::OnAbout);
        setContextMenuPolicy(Qt::ActionsContextMenu);
        auto* separator = new QAction(this);
        separator->setSeparator(true);
        addAction(separator);
        addAction(about);
    }

    m_ui->browseButton->setVisible(!m_auto);
    m_ui->progressBar->hide();
    m_sourcePath = m_folder + QStringLiteral("/crm.mdb");
    m_ui->pathEdit->setText(m_sourcePath);
    m_ui->pathEdit->setCursorPosition(m_sourcePath.size());
    m_ui->pathEdit->installEventFilter(this);

    connect(m_ui->browseButton, &QPushButton::clicked, this, &CKeldruneDlg::OnBrowse);
    connect(m_ui->startButton, &QPushButton::clicked, this, &CKeldruneDlg::OnStart);

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(50);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        m_ui->progressBar->setRange(0, std::max(0, m_progressMax.load()));
        m_ui->progressBar->setValue(std::min(m_progressValue.load(), m_progressMax.load()));
    });

    if (m_auto)
        QTimer::singleShot(100, this, &CKeldruneDlg::OnTimer);
}

CKeldruneDlg::~CKeldruneDlg() {
    m_abort = true;
    if (m_worker.joinable())
        m_worker.join();
}

bool CKeldruneDlg::eventFilter(QObject* watched, QEvent* event) {
    // The box is read-only while it has the focus, writable otherwise.
    if (watched == m_ui->pathEdit) {
        if (event->type() == QEvent::FocusIn)
            m_ui->pathEdit->setReadOnly(true);
        else if (event->type() == QEvent::FocusOut)
            m_ui->pathEdit->setReadOnly(false);
    }
    return QDialog::eventFilter(watched, event);
}

void CKeldruneDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CKeldruneDlg::OnTimer() {
    OnStart();
}

void CKeldruneDlg::OnAbout() {
    CKeldruneAboutDlg about(this);
    about.exec();
}

void CKeldruneDlg::OnBrowse() {
    const QString filter = tr("数据库文件 (*.mdb)");
    const QString chosen =
        Chooser() ? Chooser()(this, filter) : QFileDialog::getOpenFileName(this, QString(), m_folder, filter);
    if (chosen.isEmpty())
        return;
    m_sourcePath = chosen;
    m_ui->pathEdit->setText(chosen);
    m_ui->pathEdit->setCursorPosition(chosen.size());
}

void CKeldruneDlg::ShowStart(bool visible) {
    m_ui->startButton->setVisible(visible);
    m_ui->progressBar->setVisible(!visible);
    if (visible)
        m_progressTimer->stop();
}

void CKeldruneDlg::OnStart() {
    if (running())
        return;
    m_sourcePath = m_ui->pathEdit->text().trimmed();
    if (m_sourcePath.isEmpty()) {
        ShowMessageBox(tr("请选择原客户端的数据库文件."), mb::IconWarning | mb::Ok, Title());
        return;
    }
    const QString config = m_folder + QStringLiteral("/CsqxConfig.ini");
    if (ini::ReadString(config, QStringLiteral("HaveConvert"), QStringLiteral("default"), QString(), 100) ==
            QLatin1String("1") &&
        ShowMessageBox(tr("您已经转换过数据，若重复转换会导致数据重复以及错乱，您确定要再转换一次吗？"),
                       mb::IconWarning | mb::YesNo, Title()) != IDYES)
        return;
    ShowStart(false);
    Convert();
}

void CKeldruneDlg::Convert() {
    // The target: unscrambled, created with the base schema when missing.
    if (!g_pDB && OpenDatabase() != 0) {
        ShowMessageBox(tr("打开新客户端数据库失败."), mb::IconError | mb::Ok, Title());
        ShowStart(true);
        return;
    }
    m_source = std::make_unique<OldDatabaseSource>();
    if (!m_source->open(m_sourcePath)) {
        companion::LogWriteW(
            QStringLiteral("open %1 failed: %2")
                .arg(companion::LogEscapeW(m_sourcePath), companion::LogEscapeW(m_source->error())));
        ShowMessageBox(tr("打开原客户端数据库失败.") + QLatin1Char('\n') + m_source->error(),
                       mb::IconError | mb::Ok, Title());
        m_source.reset();
        ShowStart(true);
        return;
    }

    m_abort = false;
    m_progressMax = 0;
    m_progressValue = 0;
    m_progressTimer->start();
    const QString folder = m_folder;
    OdbcReader* reader = &m_source->reader();
    m_worker = std::thread([this, folder, reader] {
        // Nothing else may wait on the long transaction or lose what it receives meanwhile.
        EndMainProgram(folder);
        bool ok = false;
        QString error;
        sqlite3* db = OpenConnection(SystemDatabasePath());
        if (!db) {
            error = tr("打开新客户端数据库失败.");
        } else {
            ConverterCallbacks callbacks;
            callbacks.setRange = [this](int maximum) {
                m_progressValue = 0;
                m_progressMax = maximum;
            };
            callbacks.step = [this] { ++m_progressValue; };
            callbacks.setTitle = [this](const QString& title) {
                QMetaObject::invokeMethod(
                    this, [this, title] { setWindowTitle(title); }, Qt::QueuedConnection);
            };
            OldDatabaseConverter converter(*reader, db, callbacks, &m_abort);
            ok = converter.Convert();
            error = converter.errorText();
            CloseConnection(db);
        }
        QMetaObject::invokeMethod(
            this, [this, ok, error] { OnConverted(ok, error); }, Qt::QueuedConnection);
    });
}

void CKeldruneDlg::OnConverted(bool ok, const QString& errorText) {
    if (m_worker.joinable())
        m_worker.join();
    // A close that came after the commit must still mark the conversion done,
    // or the next start would convert the same data a second time.
    if (m_closeWhenDone && !ok) {
        m_source.reset();
        OnClose();
        return;
    }
    if (!ok) {
        m_source.reset();
        if (!errorText.isEmpty())
            ShowMessageBox(errorText, mb::IconError | mb::Ok, Title());
        ShowStart(true);
        return;
    }
    m_source.reset();
    const QString config = m_folder + QStringLiteral("/CsqxConfig.ini");
    struct stat info {};
    if (::stat(QFile::encodeName(config).constData(), &info) == 0)
        ::chmod(QFile::encodeName(config).constData(), (info.st_mode & 07777) | S_IWUSR);
    ini::WriteString(config, QStringLiteral("HaveConvert"), QStringLiteral("default"), QStringLiteral("1"));
    const QString renamed = FreeConvertedName(m_sourcePath);
    if (!QFile::rename(m_sourcePath, renamed))
        companion::LogWriteW(QStringLiteral("rename %1 failed").arg(companion::LogEscapeW(m_sourcePath)));
    ShowMessageBox(tr("转换成功.请重启客户端."), mb::IconInformation | mb::Ok, Title());
    companion::LogWriteW(QStringLiteral("END,转换成功，自动关闭转换窗口"));
    companion::LogClose();
    CloseDatabase();
    // A main program started meanwhile still holds the old data.
    EndMainProgram(m_folder);
    done(IDOK);
}

void CKeldruneDlg::OnClose() {
    CloseDatabase();
    companion::LogWriteW(QStringLiteral("END,手动关闭转换窗口"));
    companion::LogClose();
    done(IDOK);
}

void CKeldruneDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (running()) {
        // The worker rolls back at its next row; the window closes after it.
        m_closeWhenDone = true;
        m_abort = true;
        return;
    }
    OnClose();
}
