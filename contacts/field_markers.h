#pragma once
// Personalised-field markers of message texts: a field name between "<%"
// and "%>".
#include <QStringList>

// Appends to `out` each field name written between "<%" and "%>", in order.
// The "%>" that closes a marker is looked for after its "<%", so a stray
// "%>" before the first "<%" is no marker; an unclosed "<%" ends the search.
void ExtractFieldTokens(const QString& text, QStringList& out);
