#include "objectarchiver.h"

namespace Model {
namespace Persistence {

ObjectArchiver::ObjectArchiver() = default;

ObjectArchiver::~ObjectArchiver() = default;

} // namespace Persistence
} // namespace Model
