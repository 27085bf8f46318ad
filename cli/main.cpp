// zor-icons: counts, lists and searches with Qt Core alone; what draws pictures runs in
// zor-icons-pictures.

#include "commands.h"

int main(int argc, char* argv[])
{
    return cli::zorIcons(argc, argv, nullptr);
}
