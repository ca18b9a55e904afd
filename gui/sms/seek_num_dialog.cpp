#include "gui/sms/seek_num_dialog.h"

#include "core/database.h"
#include "core/numbers.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/record_search.h"

#include "ui_seek_num_dialog.h"

#include <QPushButton>

DlgSeekNum::DlgSeekNum(qint64 sendId, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DlgSeekNum>()), m_sendId(sendId) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    m_ui->findBy->setCurrentIndex(0);
    connect(m_ui->find, &QPushButton::clicked, this, &DlgSeekNum::OnSeek);
    connect(m_ui->exitButton, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
}

DlgSeekNum::~DlgSeekNum() = default;

void DlgSeekNum::accept() {}

void DlgSeekNum::reject() {
    done(IDCANCEL);
}

void DlgSeekNum::OnSeek() {
    const bool byName = m_ui->findBy->currentIndex() == 1;
    const QString text = m_ui->findText->text().trimmed();
    if (text.isEmpty()) {
        ShowMessageBox(LoadStr(byName ? 263 : 261), mb::Ok | mb::IconWarning);
        return;
    }
    const bool locate = m_ui->locate->isChecked();
    const SeekResult found =
        SeekRecipient(g_pDB, m_sendId, byName ? SeekBy::Name : SeekBy::Number, text, locate);
    if (!found.found) {
        m_ui->foundName->clear();
        m_ui->foundNumber->clear();
        ShowMessageBox(LoadStr(byName ? 264 : 262), mb::Ok | mb::IconWarning);
        return;
    }
    m_ui->foundName->setText(found.name);
    m_ui->foundNumber->setText(MaskNumber(found.number));
    if (locate && found.position > 0) {
        m_position = found.position;
        done(1003);
    }
}
