#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>

namespace VextalPython {

// Adds vextal.SceneError, a ValueError that carries the scene's path and the
// line where reading stopped.
void bindErrors(pybind11::module_& module);

// The three ways a failure of the C++ code reaches Python; each raises.
[[noreturn]] void raiseSceneError(const std::string& message,
                                  const std::optional<std::string>& path,
                                  std::optional<std::uint32_t> line);
// A value the caller gave is refused; the message names the argument.
[[noreturn]] void raiseValueError(const std::string& message);
// A file could not be read or written: OSError naming `path`; with an errno,
// of its own kind (FileNotFoundError, ...) and `path` as its filename.
[[noreturn]] void raiseOSError(const std::string& path, const std::string& why,
                               int errorNumber = 0);

} // namespace VextalPython

namespace VextalPython {

// A str, bytes or os.PathLike path as the file system's bytes.
std::string fileSystemPath(const pybind11::handle& path);

} // namespace VextalPython
