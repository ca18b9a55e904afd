#include "gui/main/about_dialog.h"

#include "core/app_globals.h"
#include "gui/main/gui_globals.h"
#include "gui/widgets/my_static.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "platform/url_open.h"

#include "ui_about_dialog.h"

#include <QPushButton>
#include <QUrl>

CDlgAbout::CDlgAbout(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgAbout>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(m_ui->companyUrl, &CMyStatic::clicked, this, &CDlgAbout::OnClickLink);

    if (!g_hLogoIcon.isNull())
        m_ui->logo->setPixmap(g_hLogoIcon.pixmap(30, 30));
    // An edition without a product name keeps the form's own texts.
    if (g_strAppTitle.isEmpty())
        return;
    // OEM texts are shown as they are, never as markup.
    const struct {
        QLabel* label;
        const QString& text;
    } texts[] = {
        {m_ui->productName, g_strAppTitle},  {m_ui->copyright, g_strCopyright},
        {m_ui->companyUrl, g_strCompanyUrl}, {m_ui->companyPhone, g_strCompanyPhone},
        {m_ui->hotLine, g_strHotLine},       {m_ui->nationwidePhone, g_strNationwidePhone},
    };
    for (const auto& t : texts) {
        t.label->setTextFormat(Qt::PlainText);
        t.label->setText(t.text);
    }
    m_ui->copyrightLabel->setVisible(!g_strCopyright.isEmpty());
    m_ui->companyUrlLabel->setVisible(!g_strCompanyUrl.isEmpty());
}

CDlgAbout::~CDlgAbout() = default;

void CDlgAbout::reject() {
    done(IDCANCEL);
}

void CDlgAbout::SetVersion(double version) {
    m_ui->version->setText(QString::asprintf("%.2f", version));
}

bool CDlgAbout::OnClickLink() {
    const QString text = g_strCompanyUrl.trimmed();
    if (text.isEmpty())
        return false;
    // The OEM file usually writes "www.example.com"; only web addresses are
    // opened, never a local file or program that the text might name.
    const QUrl url(text.contains(QLatin1String("://")) ? text : QStringLiteral("http://") + text);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    return OpenUrlExternally(url.toString(QUrl::FullyEncoded));
}
