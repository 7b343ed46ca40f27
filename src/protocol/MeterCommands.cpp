#include "protocol/MeterCommands.h"

#include <algorithm>
#include <initializer_list>

namespace {

std::vector<quint8> reportOf(std::initializer_list<quint8> head, std::size_t reportLength)
{
    std::vector<quint8> report(reportLength, 0);
    std::copy_n(head.begin(), std::min(head.size(), reportLength), report.begin());
    return report;
}

} // namespace

std::vector<quint8> MeterCommands::commandReport(quint8 code, std::size_t reportLength)
{
    return reportOf({0x00, 0x01, code}, reportLength);
}

std::vector<quint8> MeterCommands::preambleReport(std::size_t reportLength)
{
    return reportOf({0x00, 0x02, 0x5A, 0x00}, reportLength);
}
