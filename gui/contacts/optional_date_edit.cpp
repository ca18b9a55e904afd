#include "gui/contacts/optional_date_edit.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QRegularExpression>

QDate ParseStoredDate(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:[ T].*)?\s*$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return QDate();
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

OptionalDateEdit::OptionalDateEdit(QWidget* parent)
    : QWidget(parent), m_switch(new QCheckBox(this)), m_edit(new QDateEdit(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_switch);
    layout->addWidget(m_edit, 1);
    m_edit->setCalendarPopup(true);
    m_edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    showDate(QDate());
    connect(m_switch, &QCheckBox::toggled, this, [this](bool on) {
        m_edit->setEnabled(on);
        if (!m_setting)
            userChanged();
    });
    connect(m_edit, &QDateEdit::dateChanged, this, [this] {
        if (!m_setting)
            userChanged();
    });
}

bool OptionalDateEdit::hasDate() const {
    return m_switch->isChecked();
}

QDate OptionalDateEdit::date() const {
    return hasDate() ? m_edit->date() : QDate();
}

void OptionalDateEdit::showDate(const QDate& date) {
    m_setting = true;
    m_switch->setChecked(date.isValid());
    m_edit->setEnabled(date.isValid());
    m_edit->setDate(date.isValid() ? date : QDate::currentDate());
    m_setting = false;
}

void OptionalDateEdit::setStoredText(const QString& text) {
    m_stored = text;
    m_edited = false;
    showDate(ParseStoredDate(text));
}

QString OptionalDateEdit::textToStore() const {
    if (!m_edited)
        return m_stored;
    return hasDate() ? m_edit->date().toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

void OptionalDateEdit::pickDate(const QDate& date) {
    showDate(date);
    userChanged();
}

void OptionalDateEdit::userChanged() {
    m_edited = true;
    emit dateEdited();
}
