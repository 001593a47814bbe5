#include "ClientCommand.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace standin::test {

CommandResult RunClient(const std::string& command, const std::string& input,
                        const std::filesystem::path& folder) {
    const auto in = folder / "client-input.txt";
    const auto out = folder / "client-output.txt";
    std::ofstream(in, std::ios::binary) << input;
    const std::string line =
        "timeout 60 " + command + " < '" + in.string() + "' > '" + out.string() + "' 2>&1";
    const int status = std::system(line.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream o(out, std::ios::binary);
    std::ostringstream s;
    s << o.rdbuf();
    result.output = s.str();
    return result;
}

}  // namespace standin::test
