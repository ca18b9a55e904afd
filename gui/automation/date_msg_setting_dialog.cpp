#include "gui/automation/date_msg_setting_dialog.h"

#include "core/app_globals.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/string_table.h"
#include "gui/widgets/list_helpers.h"
#include "gui/widgets/rich_edit.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_date_msg_setting_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextCursor>
#include <QTimeEdit>

#include <algorithm>

namespace {

const QString kStoredTime = QStringLiteral("HH:mm:00");

} // namespace

CDlgDateMSGSetting::CDlgDateMSGSetting(std::vector<DATEMSGVALUE>* settings, QWidget* mainWindow)
    : QDialog(mainWindow), m_ui(std::make_unique<Ui::CDlgDateMSGSetting>()), m_settings(settings) {
    m_ui->setupUi(this);
    m_groups = {{{m_ui->birthdayGroup, m_ui->autoSend1, m_ui->content1, m_ui->sendTime1, m_ui->preDays1},
                 {m_ui->specialGroup, m_ui->autoSend2, m_ui->content2, m_ui->sendTime2, m_ui->preDays2},
                 {m_ui->userGroup1, m_ui->autoSend3, m_ui->content3, m_ui->sendTime3, m_ui->preDays3},
                 {m_ui->userGroup2, m_ui->autoSend4, m_ui->content4, m_ui->sendTime4, m_ui->preDays4}}};
    ApplyControlIds(this);

    LoadVisibleFields(m_ui->fields, QString());
    m_ui->fields->setCurrentIndex(-1);
    for (int i = 0; i < kDateMsgCount; ++i) {
        const Group& g = m_groups[i];
        g.content->installEventFilter(this);
        connect(g.autoSend, &QCheckBox::toggled, this, [this, i] { OnAutoSend(i); });
        connect(g.content, &QTextEdit::textChanged, this, [this, edit = g.content] { LimitContent(edit); });
    }
    connect(m_ui->fields, &QComboBox::activated, this, &CDlgDateMSGSetting::OnInsertField);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgDateMSGSetting::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgDateMSGSetting::reject);

    Fill();
    ApplyUserFields();
    UpdateCommands();
}

CDlgDateMSGSetting::~CDlgDateMSGSetting() = default;

void CDlgDateMSGSetting::Fill() {
    for (int i = 0; i < kDateMsgCount; ++i) {
        const Group& g = m_groups[i];
        const DATEMSGVALUE* record =
            m_settings && i < static_cast<int>(m_settings->size()) ? &(*m_settings)[i] : nullptr;
        const bool on = record && record->autoSend != 0;
        {
            const QSignalBlocker blocker(g.autoSend);
            g.autoSend->setChecked(on);
        }
        EnableGroup(g, on);
        if (on) {
            m_wasOn = true;
            m_target = g.content;
        }
        if (!record)
            continue;
        // Stored as "%H:%M:00"; a hand-edited "8:5" is read as well.
        QTime time = QTime::fromString(record->sendTime.trimmed(), QStringLiteral("H:m:s"));
        if (!time.isValid())
            time = QTime::fromString(record->sendTime.trimmed(), QStringLiteral("H:m"));
        if (time.isValid())
            g.sendTime->setTime(time);
        if (!record->preDays.isEmpty())
            g.preDays->setValue(std::clamp(LeadingNumber(record->preDays), 0, 99));
        g.content->setPlainText(record->content);
    }
}

void CDlgDateMSGSetting::ApplyUserFields() {
    for (int k = 0; k < 2; ++k) {
        const Group& g = m_groups[2 + k];
        DateFieldState field;
        ReadDateFieldState(kDateMsgUserFields[k], field);
        if (field.inUse) {
            g.box->setTitle(field.name);
            continue;
        }
        g.box->setTitle(field.name + tr("----未启用,请先在软件主界面\"新增字段\"中启用后再设置"));
        {
            const QSignalBlocker blocker(g.autoSend);
            g.autoSend->setChecked(false);
        }
        g.autoSend->setEnabled(false);
        EnableGroup(g, false);
        if (m_target == g.content)
            m_target = nullptr;
    }
    // The last message still on receives inserted fields.
    if (!m_target) {
        for (const Group& g : m_groups) {
            if (g.autoSend->isChecked())
                m_target = g.content;
        }
    }
}

void CDlgDateMSGSetting::EnableGroup(const Group& group, bool on) {
    group.content->setEnabled(on);
    group.sendTime->setEnabled(on);
    group.preDays->setEnabled(on);
}

void CDlgDateMSGSetting::UpdateCommands() {
    m_checkedCount = static_cast<int>(std::count_if(m_groups.begin(), m_groups.end(),
                                                    [](const Group& g) { return g.autoSend->isChecked(); }));
    m_ui->fields->setEnabled(m_checkedCount != 0);
    // A message that was on may be switched off and that saved.
    m_ui->ok->setEnabled(m_checkedCount != 0 || m_wasOn);
}

void CDlgDateMSGSetting::OnAutoSend(int index) {
    const Group& g = m_groups[index];
    const bool on = g.autoSend->isChecked();
    EnableGroup(g, on);
    if (on) {
        m_target = g.content;
    } else if (m_target == g.content) {
        m_target = nullptr;
        for (const Group& other : m_groups) {
            if (other.autoSend->isChecked())
                m_target = other.content;
        }
    }
    UpdateCommands();
}

bool CDlgDateMSGSetting::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (const Group& g : m_groups) {
            if (watched == g.content)
                m_target = g.content;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgDateMSGSetting::OnInsertField(int comboIndex) {
    if (!m_target || comboIndex < 0)
        return;
    const QString marker = QStringLiteral("<%") + m_ui->fields->itemText(comboIndex) + QStringLiteral("%>");
    m_target->textCursor().insertText(marker);
    m_target->setFocus();
}

void CDlgDateMSGSetting::LimitContent(MyRichEditCtrl* edit) {
    const QString text = edit->toPlainText();
    if (text.size() <= kMaxDateMsgContent)
        return;
    qsizetype cut = kMaxDateMsgContent;
    // Half a character would be stored as garbage.
    if (text[cut - 1].isHighSurrogate())
        --cut;
    const int caret = edit->textCursor().position();
    {
        const QSignalBlocker blocker(edit);
        edit->setPlainText(text.left(cut));
    }
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(std::min(caret, static_cast<int>(cut)));
    edit->setTextCursor(cursor);
}

DateMsgValues CDlgDateMSGSetting::Collect() const {
    DateMsgValues values;
    for (int i = 0; i < kDateMsgCount; ++i) {
        const Group& g = m_groups[i];
        values[i].autoSend = g.autoSend->isChecked();
        values[i].preDays = QString::number(g.preDays->value());
        values[i].sendTime = g.sendTime->time().toString(kStoredTime);
        values[i].content = g.content->toPlainText();
    }
    return values;
}

void CDlgDateMSGSetting::OnOK() {
    const int result = SaveDateMsgSettings(g_strAccountIni, Collect());
    if (result == kDateMsgWriteFailed) {
        LogWrite(g_logRun, "ERROR,CDlgDateMSGSetting,cannot write " + LogEscape(g_strAccountIni));
        ShowMessageBox(tr("设置文件无法写入:%1").arg(g_strAccountIni), mb::Ok | mb::IconWarning);
        return;
    }
    if (result != 0) {
        QString text;
        if (result == 1)
            text = LoadStr(191);
        else if (result == 2)
            text = LoadStr(192);
        else
            text = tr("%s短信自动发送内容不能为空")
                       .replace(QLatin1String("%s"), m_groups[result - 1].box->title());
        ShowMessageBox(text, mb::Ok | mb::IconWarning);
        m_groups[result - 1].content->setFocus();
        return;
    }
    ShowMessageBox(LoadStr(165), mb::Ok | mb::IconInformation);
    done(1003);
}
