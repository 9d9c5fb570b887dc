#include "model/Parameter.h"

namespace brevolan {

const std::array<ParameterInfo, ParameterCount> &parameterTable()
{
    static const std::array<ParameterInfo, ParameterCount> table = {{
        {Param::PI, "PI", ParamKind::Text, 4},
        {Param::PTY, "PTY", ParamKind::List, 0},
        {Param::MS, "MS", ParamKind::List, 0},
        {Param::TA, "TA", ParamKind::List, 0},
        {Param::PARSE, "PARSE", ParamKind::List, 0},
        {Param::DPSS, "DPSS", ParamKind::List, 0},
        {Param::DRTS, "DRTS", ParamKind::List, 0},
        {Param::TP, "TP", ParamKind::List, 0},
        {Param::DI, "DI", ParamKind::List, 0},
        {Param::ECHO, "ECHO", ParamKind::List, 0},
        {Param::DPS, "DPS", ParamKind::Text, 64},
        {Param::TEXT, "TEXT", ParamKind::Text, 64},
        {Param::PS, "PS", ParamKind::Text, 8},
        {Param::AF1, "AF1", ParamKind::List, 0},
        {Param::AF2, "AF2", ParamKind::List, 0},
        {Param::AF3, "AF3", ParamKind::List, 0},
        {Param::AF4, "AF4", ParamKind::List, 0},
        {Param::AF5, "AF5", ParamKind::List, 0},
        {Param::AF6, "AF6", ParamKind::List, 0},
        {Param::AF7, "AF7", ParamKind::List, 0},
        {Param::AF8, "AF8", ParamKind::List, 0},
        {Param::AF9, "AF9", ParamKind::List, 0},
        {Param::SPEED, "SPEED", ParamKind::List, 0},
    }};
    return table;
}

const ParameterInfo &parameterInfo(Param p) { return parameterTable()[indexOf(p)]; }

QString keyOf(Param p) { return QString::fromLatin1(parameterInfo(p).key); }

} // namespace brevolan
