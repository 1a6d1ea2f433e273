#include "cli/Command.h"

#include <iostream>

int main(int argc, char** argv)
{
    return runZbk(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
