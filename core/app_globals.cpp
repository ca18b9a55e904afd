#include "core/app_globals.h"

int g_nMmsMaxSize = 51200;

QString g_strAppTitle;
QString g_strCopyright;
QString g_strCompanyUrl;
QString g_strCompanyPhone;
QString g_strHotLine;
QString g_strNationwidePhone;
QString g_strInformUrl;

QString g_strServerIni;
QString g_strAccountIni;
