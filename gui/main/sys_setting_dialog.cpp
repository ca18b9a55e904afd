#include "gui/main/sys_setting_dialog.h"

#include "core/app_globals.h"
#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "core/sys_settings.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/rich_edit.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/sms_numbering.h"

#include "ui_sys_setting_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextCursor>
#include <QTimeEdit>

#include <algorithm>

namespace {

const QString kTimeFormat = QStringLiteral("HH:mm:ss");

QString Flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// "%d" placeholders filled in order.
QString FormatCounts(QString text, std::initializer_list<qsizetype> values) {
    for (qsizetype v : values) {
        const qsizetype at = text.indexOf(QLatin1String("%d"));
        if (at < 0)
            break;
        text.replace(at, 2, QString::number(v));
    }
    return text;
}

void SelectExactly(QComboBox* combo, const QString& text) {
    combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

} // namespace

CDlgSYSSetting::CDlgSYSSetting(std::vector<SYSSETTING>* settings, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgSYSSetting>()), m_settings(settings) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    m_ui->pre2->addItems(
        {QStringLiteral("/"), QStringLiteral("\\"), QStringLiteral("."), QStringLiteral(",")});
    m_ui->startTime->setDisplayFormat(kTimeFormat);
    m_ui->endTime->setDisplayFormat(kTimeFormat);
    // How the splash text is used is open; it keeps the value it was given.
    m_ui->splashLabel->hide();
    m_ui->splashNote->hide();
    m_ui->splashText->hide();
    m_ui->otherSettings->hide();
    m_ui->replyText->installEventFilter(this);

    for (QCheckBox* box : {m_ui->autoReceive, m_ui->autoReply, m_ui->autoForward, m_ui->sound, m_ui->birthday,
                           m_ui->diySmsCount, m_ui->diyPerMsgCount, m_ui->prefixInUse})
        connect(box, &QCheckBox::toggled, this, &CDlgSYSSetting::OnCheckBoxes);
    connect(m_ui->chooseSound, &QPushButton::clicked, this, &CDlgSYSSetting::OnChooseSound);
    connect(m_ui->preview, &QPushButton::clicked, this, &CDlgSYSSetting::OnPreview);
    connect(m_ui->replyText, &QTextEdit::textChanged, this, &CDlgSYSSetting::OnReplyChanged);
    connect(m_ui->forwardNumbers, &QTextEdit::textChanged, this, &CDlgSYSSetting::OnForwardChanged);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgSYSSetting::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgSYSSetting::reject);

    FillGroupCombos();
    Fill(ReadSysSettingValues(m_settings, g_strAccountIni));
    OnCheckBoxes();
    OnReplyChanged();
    OnPreview();
}

CDlgSYSSetting::~CDlgSYSSetting() = default;

void CDlgSYSSetting::reject() {
    done(IDCANCEL);
}

void CDlgSYSSetting::FillGroupCombos() {
    QStringList names;
    if (g_pDB) {
        SqlStatement st(g_pDB, "SELECT GroupID,GroupName FROM ContactGroup WHERE GroupID>0");
        while (st.step() == SQLITE_ROW)
            names << st.qtext(1);
    }
    for (QComboBox* combo : {m_ui->forwardGroup, m_ui->ext1Group, m_ui->ext2Group, m_ui->ext3Group,
                             m_ui->ext4Group, m_ui->ext5Group, m_ui->ext6Group}) {
        combo->addItems(names);
        combo->setCurrentIndex(-1); // only a stored name selects an entry
    }
}

void CDlgSYSSetting::Fill(const SysSettingValues& v) {
    // Entries without a settings array keep the controls' empty state.
    if (m_settings) {
        m_ui->autoReceive->setChecked(v.autoReceive);
        m_ui->receiveSeconds->setValue(v.receiveSeconds.trimmed().toInt());
        m_ui->autoReply->setChecked(v.autoReply);
        m_ui->replyText->setPlainText(v.replyText);
        m_ui->autoForward->setChecked(v.autoForward);
        m_ui->forwardNumbers->setPlainText(v.forwardNumbers);
        m_ui->splashText->setText(v.splashText);
        m_ui->sound->setChecked(v.sound);
        m_ui->soundPath->setText(v.soundPath);
        m_ui->birthday->setChecked(v.birthday);
        m_ui->birthdayDays->setValue(v.birthdayDays.trimmed().toInt());
        m_ui->noBackupPrompt->setChecked(v.noBackupPrompt);
        m_ui->transpondName->setChecked(v.transpondName);
        m_ui->diySmsCount->setChecked(v.diySmsCount);
        m_ui->smsCount->setValue(v.smsCount.trimmed().toInt());
        m_ui->diyPerMsgCount->setChecked(v.diyPerMsgCount);
        m_ui->perMsgCount->setValue(v.perMsgCount.trimmed().toInt());
    }

    // Stored as "%02d:%02d:%02d"; a hand-edited "8:0:0" is read as well.
    const QTime start = QTime::fromString(v.startTime, QStringLiteral("H:m:s"));
    if (start.isValid())
        m_ui->startTime->setTime(start);
    const QTime end = QTime::fromString(v.endTime, QStringLiteral("H:m:s"));
    if (end.isValid())
        m_ui->endTime->setTime(end);

    QComboBox* const groups[] = {m_ui->forwardGroup, m_ui->ext1Group, m_ui->ext2Group, m_ui->ext3Group,
                                 m_ui->ext4Group,    m_ui->ext5Group, m_ui->ext6Group};
    for (int i = 0; i < kGroupNameCount; ++i)
        SelectExactly(groups[i], v.groupNames.value(i));
    m_ui->skipWeekend->setChecked(v.skipWeekend);

    m_ui->prefixInUse->setChecked(v.prefixInUse);
    m_ui->pre1->setText(v.pre1);
    SelectExactly(m_ui->pre2, v.pre2);
    m_ui->pre3->setText(v.pre3);
    m_ui->showPartCount->setChecked(v.showPartCount);
    m_ui->showPartNumber->setChecked(true);
}

SysSettingValues CDlgSYSSetting::Collect() const {
    SysSettingValues v;
    v.autoReceive = m_ui->autoReceive->isChecked();
    v.receiveSeconds = QString::number(m_ui->receiveSeconds->value());
    v.autoReply = m_ui->autoReply->isChecked();
    v.replyText = m_ui->replyText->toPlainText();
    v.autoForward = m_ui->autoForward->isChecked();
    v.forwardNumbers = m_ui->forwardNumbers->toPlainText();
    v.splashText = m_ui->splashText->text();
    v.sound = m_ui->sound->isChecked();
    v.soundPath = m_ui->soundPath->text();
    v.birthday = m_ui->birthday->isChecked();
    v.birthdayDays = QString::number(m_ui->birthdayDays->value());
    v.noBackupPrompt = m_ui->noBackupPrompt->isChecked();
    v.transpondName = m_ui->transpondName->isChecked();
    v.diySmsCount = m_ui->diySmsCount->isChecked();
    v.smsCount = QString::number(m_ui->smsCount->value());
    v.diyPerMsgCount = m_ui->diyPerMsgCount->isChecked();
    v.perMsgCount = QString::number(m_ui->perMsgCount->value());
    v.startTime = m_ui->startTime->time().toString(kTimeFormat);
    v.endTime = m_ui->endTime->time().toString(kTimeFormat);
    v.skipWeekend = m_ui->skipWeekend->isChecked();
    v.prefixInUse = m_ui->prefixInUse->isChecked();
    v.showPartNumber = m_ui->showPartNumber->isChecked();
    v.pre1 = m_ui->pre1->text();
    v.pre2 = m_ui->pre2->currentText();
    v.pre3 = m_ui->pre3->text();
    v.showPartCount = m_ui->showPartCount->isChecked();
    for (const QComboBox* combo : {m_ui->forwardGroup, m_ui->ext1Group, m_ui->ext2Group, m_ui->ext3Group,
                                   m_ui->ext4Group, m_ui->ext5Group, m_ui->ext6Group})
        v.groupNames << combo->currentText();
    return v;
}

void CDlgSYSSetting::OnCheckBoxes() {
    m_ui->receiveSeconds->setEnabled(m_ui->autoReceive->isChecked());
    m_ui->replyText->setEnabled(m_ui->autoReply->isChecked());
    m_ui->forwardNumbers->setEnabled(m_ui->autoForward->isChecked());
    m_ui->soundPath->setEnabled(m_ui->sound->isChecked());
    m_ui->chooseSound->setEnabled(m_ui->sound->isChecked());
    m_ui->birthdayDays->setEnabled(m_ui->birthday->isChecked());
    m_ui->smsCount->setEnabled(m_ui->diySmsCount->isChecked());
    m_ui->perMsgCount->setEnabled(m_ui->diyPerMsgCount->isChecked());
    const bool prefix = m_ui->prefixInUse->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->pre1, m_ui->pre2, m_ui->pre3,
                                                      m_ui->showPartNumber, m_ui->showPartCount})
        w->setEnabled(prefix);
}

void CDlgSYSSetting::OnChooseSound() {
    const QString path =
        ChooseOpenFile(this, tr("声音文件(*.mp3;*.wav;*.avi;*.mid;*.wma;)|*.mp3;*.wav;*.avi;*.mid;*.wma;|"));
    if (path.isEmpty())
        return;
    m_ui->soundPath->setText(path);
    m_ui->soundPath->setCursorPosition(int(path.size()));
}

void CDlgSYSSetting::OnPreview() {
    SmsNumbering numbering;
    numbering.inUse = Flag(m_ui->prefixInUse->isChecked());
    numbering.pre1 = m_ui->pre1->text();
    numbering.pre2 = m_ui->pre2->currentText();
    numbering.pre3 = m_ui->pre3->text();
    numbering.bHasB = m_ui->showPartCount->isChecked() ? 1 : 0;
    m_ui->previewText->setText(FormatSmsNumbering(numbering, 1, 2));
}

void CDlgSYSSetting::OnReplyChanged() {
    MyRichEditCtrl* edit = m_ui->replyText;
    const QString text = edit->toPlainText();
    const QString fixed = NormalizeReplyText(text);
    if (fixed != text) {
        const int caret = edit->textCursor().position();
        {
            const QSignalBlocker blocker(edit);
            edit->setPlainText(fixed);
        }
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(std::min(caret, int(fixed.size())));
        edit->setTextCursor(cursor);
    }
    const qsizetype length = fixed.size();
    m_ui->replyCounter->setText(
        FormatCounts(tr("(最多70个字.已输入%d个,还剩余%d个.)"), {length, kMaxReplyLength - length}));
}

void CDlgSYSSetting::OnForwardChanged() {
    CheckNumberListEdit(m_ui->forwardNumbers);
}

bool CDlgSYSSetting::eventFilter(QObject* watched, QEvent* event) {
    // The reply goes out as one SMS line: Enter is refused in it.
    if (watched == m_ui->replyText && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgSYSSetting::OnOK() {
    const int result = SaveSysSettings(g_strAccountIni, Collect());
    if (result == kSysSettingsWriteFailed) {
        LogWrite(g_logRun, "ERROR,CDlgSYSSetting,cannot write " + LogEscape(g_strAccountIni));
        ShowMessageBox(tr("设置文件无法写入:%1").arg(g_strAccountIni), mb::Ok | mb::IconWarning);
        return;
    }
    if (result != 0) {
        ShowMessageBox(LoadStr(result), mb::Ok | mb::IconWarning);
        return;
    }
    ShowMessageBox(LoadStr(318), mb::Ok | mb::IconInformation);
    done(1003);
}
