#include "app/install/InstallationLog.h"
#include "app/TextFormat.h"
#include "runtime/Str.h"

// Three lines in this order, one statement each: the operands of + are
// unsequenced, so a sum of the calls could append them in any order.
static int LogThreeLines(const LogSinks& log, const char* first, const char* second, const char* third)
{
    int lines = LogLine(log, first);
    lines += LogLine(log, second);
    lines += LogLine(log, third);
    return lines;
}

int InstallationLogLink(const LogSinks& log, unsigned char language, const char* name, TextId sentence,
                        const char* link)
{
    TempStr line = TextFormat(sentence, language, name, link);
    int lines = LogLine(log, line);
    StrRewind(line);
    return lines;
}

int InstallationLogFile(const InstallationOrder& order, TextId label, const char* name, TextId linkSentence,
                        const char* link)
{
    int lines = LogThreeLines(*order.log, "", TextIn(label, order.language), name);
    return link ? lines + InstallationLogLink(*order.log, order.language, name, linkSentence, link) : lines;
}

// What follows the host folder on its line, in every language: the line
// names a folder, it is no sentence to translate.
static const char HostLineEnd[] = " . . .";

int InstallationLogHost(const LogSinks& log, const char* host)
{
    TempStr heading = StrJoin(host, HostLineEnd);
    int lines = LogLine(log, heading);
    StrRewind(heading);
    return lines;
}

int InstallationLogSection(const LogSinks& log, unsigned char language, const char* folder)
{
    return LogThreeLines(log, "", TextIn(TextSeparatorLine, language), folder);
}
