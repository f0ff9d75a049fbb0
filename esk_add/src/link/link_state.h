#pragma once
// Whether the add-on's hooks have been linked by a packet hook.

namespace esk_add::detail {

/// Calls `esk_link` and remembers its result when no earlier call from a packet hook succeeded.
/// The flag is atomic: two threads that race here both register the same hooks, which is
/// harmless.
void ensureLinked() noexcept;

} // namespace esk_add::detail
