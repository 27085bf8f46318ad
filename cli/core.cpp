// zor-icons-core: zor-icons's commands with Qt Core alone (search, export as .ico, and count
// and list with every option); what draws pictures runs in zor-icons-pictures.

#include "commands.h"

int main(int argc, char* argv[])
{
    return cli::zorIcons(argc, argv, nullptr);
}
