#include "gui/main/res_book_dialog.h"

#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_res_book_dialog.h"

#include <QPixmap>

CDlgResBook::CDlgResBook(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgResBook>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    m_ui->picture->setPixmap(QPixmap(QStringLiteral(":/resbook/statement.png")));
}

CDlgResBook::~CDlgResBook() = default;

void CDlgResBook::reject() {
    done(IDCANCEL);
}
