#pragma once
// The industries a contact's industry is chosen from, in the order the
// editor lists them ("其它" last). Stored in the database as these texts.
#include <array>

inline constexpr int kIndustryCount = 31;
extern const std::array<const char*, kIndustryCount> g_industryNames;
