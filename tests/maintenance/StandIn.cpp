// Stands in for an outside program the tests start (the league converter,
// the system-information program): it appends one line to the file that
// YM_STAND_IN_LOG names, "<its own path>\t<argument count>[\t<argument>...]",
// so a test can tell that it ran, which copy ran and with what.
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    const char* log = std::getenv("YM_STAND_IN_LOG");
    if (!log)
        return 1;
    std::FILE* file = std::fopen(log, "a");
    if (!file)
        return 1;
    std::fprintf(file, "%s\t%d", argv[0], argc - 1);
    for (int i = 1; i < argc; ++i)
        std::fprintf(file, "\t%s", argv[i]);
    std::fprintf(file, "\n");
    std::fclose(file);
    return 0;
}
