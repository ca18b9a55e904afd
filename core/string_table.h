#pragma once
// The numbered strings of the programs and the language they are shown in.
//
// Every text is written in Chinese, the source language; English comes from the
// translation compiled into the program. A numbered string is looked up through
// its Chinese source text, so one translation serves the numbered strings and
// the tr() calls of the windows alike.
#include <QString>

#include <vector>

// Language ids, as "Language.ini" stores them.
inline constexpr int kLangChinese = 2052;
inline constexpr int kLangEnglish = 1033;

// The translation context of the numbered strings.
inline constexpr const char kStringsContext[] = "Strings";

// The converter's system-menu entry "关于 Keldrune(&A)...". The main program's
// About entry is 101, so the converter's entry cannot share that id.
inline constexpr int kIdsConverterAbout = 1101;

// The text of string `id` in the current user-interface language; an unknown
// id gives an empty text.
QString LoadStr(int id);

// Every id LoadStr knows, ascending.
std::vector<int> StringTableIds();

// Chooses the user-interface language. 1033 installs the English translation;
// 2052 removes it, leaving the Chinese source texts. Other English or Chinese
// ids (same primary language, e.g. 2057 or 1028) count as 1033 or 2052.
// Returns false and keeps the current language for any other language, or when
// English cannot be installed (no QCoreApplication, translation not loadable).
// Call it from the application object's thread. The English translator belongs
// to the application object: after creating a new one, set the language again.
bool SetUiLanguage(int langId);

// True when SetUiLanguage knows the id's primary language (English or Chinese).
bool IsKnownUiLanguage(int langId);

// The language chosen last: 2052 (the default) or 1033.
int UiLanguage();
