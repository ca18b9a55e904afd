#pragma once
// A date picker that may hold no date: a check box switches the date on and
// off. It remembers the text it was given, so a stored date it cannot read,
// or writes in another form, is handed back unchanged until the user picks
// a date or switches it off.
#include <QDate>
#include <QString>
#include <QWidget>

class QCheckBox;
class QDateEdit;

class OptionalDateEdit : public QWidget {
    Q_OBJECT
public:
    explicit OptionalDateEdit(QWidget* parent = nullptr);

    bool hasDate() const;
    // An invalid date when none is set.
    QDate date() const;

    // Shows `text` (read as a date when it is one, else no date) and keeps it
    // as the text to store until the user changes the picker.
    void setStoredText(const QString& text);
    // The stored text while the user has not touched the picker; else the
    // date as "yyyy-MM-dd", or "" without a date.
    QString textToStore() const;
    bool edited() const { return m_edited; }

    // As the user would: sets a date (an invalid one switches it off).
    void pickDate(const QDate& date);

    QCheckBox* switchBox() const { return m_switch; }
    QDateEdit* dateEdit() const { return m_edit; }

signals:
    void dateEdited();

private:
    void showDate(const QDate& date);
    void userChanged();

    QCheckBox* m_switch;
    QDateEdit* m_edit;
    QString m_stored;
    bool m_edited = false;
    bool m_setting = false;
};

// A stored date in one of the usual written forms ("2020-01-05",
// "2020/1/5", "2020.1.5", also followed by a time); invalid when none fits.
QDate ParseStoredDate(const QString& text);
