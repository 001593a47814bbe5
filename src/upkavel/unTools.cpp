#include "unTools.h"

namespace kavel {

std::string ConnectGate;

}  // namespace kavel
