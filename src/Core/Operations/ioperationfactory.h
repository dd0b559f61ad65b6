#pragma once

#include <boost/shared_ptr.hpp>

namespace Core {
namespace Operations {

class Operation;

// Builds the operation for a type number together with whatever it needs
// from a person (dialog observers). The user interface supplies it.
class IOperationFactory
{
public:
    virtual ~IOperationFactory() = default;
    // Empty when the number names no operation.
    virtual boost::shared_ptr<Operation> create(int typeNumber) = 0;
};

} // namespace Operations
} // namespace Core
