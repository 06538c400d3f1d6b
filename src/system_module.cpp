// The system's shared library. Its code lives in the folders library/, tags/, convert/, device/ and
// support/; the lower layers are linked in whole so that every process-wide table exists exactly once.
namespace TYX {
const char* SystemModuleName() { return "tyx_system"; }
}  // namespace TYX
