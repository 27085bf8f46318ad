// The floor of a program that links Qt Core: it starts, makes one string and ends. Started by
// bench_cli_peer beside zor-icons, which cannot start faster than this.

#include <QString>

#include <cstdio>

int main(int argc, char*[])
{
    std::puts(qPrintable(QString::number(argc)));
    return 0;
}
