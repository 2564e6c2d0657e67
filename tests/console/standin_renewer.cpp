// Takes the updater's place beside a copy of the console: it writes the arguments
// it was started with into renewer-args.txt in its working directory, one a line.
#include <fstream>

int main(int argc, char **argv)
{
    std::ofstream out("renewer-args.txt");
    for (int i = 1; i < argc; ++i)
        out << argv[i] << '\n';
    return out ? 0 : 1;
}
