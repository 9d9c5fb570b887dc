#pragma once
// The 23 encoder parameters in their canonical order: the order of a settings
// file's lines, of Read's queries and of Send's commands. The keys are the
// RDS standard's own abbreviations (EN 50067; NRSC-4 for RBDS) plus the
// encoder's own settings (DPS, DPSS, DRTS, PARSE, ECHO, SPEED).

#include <QString>
#include <array>

namespace brevolan {

enum class Param : int {
    PI, PTY, MS, TA, PARSE, DPSS, DRTS, TP, DI, ECHO, DPS, TEXT, PS,
    AF1, AF2, AF3, AF4, AF5, AF6, AF7, AF8, AF9, SPEED
};

inline constexpr int ParameterCount = 23;

enum class ParamKind { Text, List };

struct ParameterInfo {
    Param param;
    const char *key;   // protocol key, settings-file key and field label
    ParamKind kind;
    int typingLimit;   // text fields: characters the user may type; lists: 0
};

const std::array<ParameterInfo, ParameterCount> &parameterTable();
const ParameterInfo &parameterInfo(Param p);
QString keyOf(Param p);
inline constexpr int indexOf(Param p) { return static_cast<int>(p); }
inline constexpr Param paramAt(int i) { return static_cast<Param>(i); }
inline bool isList(Param p) { return parameterInfo(p).kind == ParamKind::List; }

} // namespace brevolan
