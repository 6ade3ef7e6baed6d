#pragma once
// Why the server cannot prepare a report: a text in Portuguese the screen shows as it is. It is
// answered as the method's value, not as a protocol error.

#include "KavException.h"

namespace KavServer::Zve41300 {

class NutriCardRefusal : public Kav::Exception
{
public:
    using Kav::Exception::Exception;
};

} // namespace KavServer::Zve41300
