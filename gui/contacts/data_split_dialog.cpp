#include "gui/contacts/data_split_dialog.h"

#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_data_split_dialog.h"

#include <QPushButton>

CDlgDataSplit::CDlgDataSplit(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgDataSplit>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgDataSplit::accept);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgDataSplit::reject);
}

CDlgDataSplit::~CDlgDataSplit() = default;

void CDlgDataSplit::accept() {
    done(IDOK);
}

void CDlgDataSplit::reject() {
    done(IDCANCEL);
}
