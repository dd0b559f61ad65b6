#include "operation.h"

namespace Core {
namespace Operations {

Operation::Operation(const QString &name, int typeNumber) : m_name(name), m_typeNumber(typeNumber) {}

Operation::~Operation() = default;

} // namespace Operations
} // namespace Core
