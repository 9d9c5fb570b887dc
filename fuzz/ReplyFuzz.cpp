// Any bytes as an encoder reply: splitting it into lines and picking the value
// line must neither crash nor hang, and what comes out must be what Read then
// takes in (a trimmed, non-empty line that came before a closing "OK").

#include "link/CutToken.h"
#include "model/IntegerText.h"
#include "operations/Protocol.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace brevolan;

namespace {
void fail(const char *what)
{
    std::fputs(what, stderr);
    std::fputc('\n', stderr);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray reply = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    const QStringList lines = replyLines(reply);
    qsizetype characters = 0;
    for (const QString &line : lines) {
        if (line.isEmpty())
            fail("an empty line was kept");
        if (line != trimControl(line))
            fail("a line kept blanks or control codes at an end");
        if (line.contains(QLatin1Char('\r')))
            fail("a line holds a CR");
        characters += line.size();
    }
    if (characters > reply.size())
        fail("the lines hold more than the reply");

    for (const int minimum : {2, 3}) {
        const std::optional<QString> value = valueLineOf(reply, minimum);
        const bool closedByOk = !lines.isEmpty() && lines.last() == QLatin1String("OK");
        if (value.has_value() != (closedByOk && lines.size() >= minimum))
            fail("a value line was taken from a reply that is not closed by OK, or refused from one that is");
        if (value) {
            if (*value != lines.at(lines.size() - 2))
                fail("the value line is not the line before OK");
            // Read turns list values into integers: any text at all.
            (void)parseInteger(*value);
            (void)integerOr(*value, -1);
        }
    }
    return 0;
}
