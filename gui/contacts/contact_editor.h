#pragma once
// Opening the contact editor on a stored contact or on a new one. Every
// window that shows contacts opens the editor through these, so the row
// that is edited is always the one the user chose.
#include <QString>
#include <QtGlobal>

class QWidget;

// Reads the row `rowid`, completes it with every group of its mobile number
// and runs the editor on it; the editor's result (1003 after a save). A row
// that cannot be read runs nothing and gives the cancel result.
int OpenContactEditor(QWidget* parent, qint64 rowid);
// The same for the first row of `perNO`.
int OpenContactEditorForPerNo(QWidget* parent, qint64 perNO);
// A new contact, with `groupId` ticked when it is not -1.
int OpenNewContactEditor(QWidget* parent, int groupId = -1);
// A new contact with `mobile` filled in (a number typed elsewhere).
int OpenNewContactEditorForNumber(QWidget* parent, const QString& mobile);
