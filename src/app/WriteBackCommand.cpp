#include "app/WriteBackCommand.h"

#include "core/writeback/AccessTarget.h"
#include "core/writeback/WriteBack.h"
#include "ui/Settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <string_view>

namespace {
void print(std::FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", qUtf8Printable(text));
}
} // namespace

bool asksForWriteBack(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        if (argument == "--write-access")
            return true;
    }
    return false;
}

int runWriteBackCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("write-access"), QStringLiteral("Write back a league.")});
    parser.addPositionalArgument(QStringLiteral("league"), QStringLiteral("The league file."));
    parser.addPositionalArgument(QStringLiteral("access"), QStringLiteral("The Access file."));
    const QString program = QCoreApplication::applicationName();
    if (!parser.parse(arguments) || parser.positionalArguments().size() != 2) {
        print(stderr,
              QStringLiteral("%1: usage: %1 --write-access LEAGUE ACCESSFILE").arg(program));
        return 2;
    }
    writeback::WriteOptions options;
    options.allOrNothing = true;
    options.keep = backups::keepRule(readSetting(settings::BackupsKeep));
    writeback::WriteResult result;
    const db::Error e = writeback::writeBack(parser.positionalArguments().at(0),
                                             parser.positionalArguments().at(1), options, &result);
    if (e.number == writeback::NotAllWritable) {
        for (const writeback::Unwritable& u : result.plan.listed)
            print(stderr, QStringLiteral("%1 [%2] %3 = %4: %5")
                              .arg(u.table, u.key, u.column, u.value, u.why));
    }
    if (e) {
        print(stderr, QStringLiteral("%1: %2").arg(program, e.message()));
        return 1;
    }
    print(stdout, writeback::resultText(result));
    return 0;
}
