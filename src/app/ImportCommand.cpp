#include "app/ImportCommand.h"

#include "core/import/ImportAccess.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <string_view>

namespace {
constexpr std::string_view Option = "--import-access";

void print(std::FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", qUtf8Printable(text));
}
} // namespace

bool asksForAccessImport(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        if (argument == Option)
            return true;
    }
    return false;
}

int runAccessImportCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("import-access"), QStringLiteral("Import an Access file.")});
    parser.addPositionalArgument(QStringLiteral("source"), QStringLiteral("The Access file."));
    parser.addPositionalArgument(QStringLiteral("target"), QStringLiteral("The new league file."));
    const QString program = QCoreApplication::applicationName();
    if (!parser.parse(arguments) || parser.positionalArguments().size() != 2) {
        print(stderr, QStringLiteral("%1: usage: %1 --import-access SOURCE TARGET").arg(program));
        return 2;
    }
    const QString source = parser.positionalArguments().at(0);
    const QString target = parser.positionalArguments().at(1);
    import::ImportResult result;
    // No window holds a league here; an existing target is never replaced.
    if (const db::Error e = import::importAccess(source, target, {}, &result)) {
        print(stderr, QStringLiteral("%1: %2").arg(program, e.message()));
        return 1;
    }
    print(stdout, QStringLiteral("%1 from %2 into %3.")
                      .arg(import::importedText(result), QDir::toNativeSeparators(source),
                           QDir::toNativeSeparators(target)));
    if (const QStringList missing = import::missingLeagueTables(target); !missing.isEmpty())
        print(stdout, QStringLiteral("It is not a league; it lacks these league tables: %1.")
                          .arg(missing.join(QStringLiteral(", "))));
    return 0;
}
