#pragma once

#include <QString>
#include <functional>

namespace kelm {

// Shortens a path until `fits` accepts it, by replacing folders from the left with "...":
// "/home/u/data/a.dev", "/.../u/data/a.dev", "/.../data/a.dev", "/.../a.dev", ".../a.dev",
// and finally the bare file name (returned even when it does not fit). `fits` is the
// caller's width test (a label measures the text with its font).
QString ShortenPath(const QString& path, const std::function<bool(const QString&)>& fits);

} // namespace kelm
