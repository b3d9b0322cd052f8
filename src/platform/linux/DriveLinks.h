// Who may undo a connection. A GVfs mount belongs to the whole desktop
// session: the file manager, other programs and other instances of this one
// may use it. These are the rules, as pure text work on link targets.
//
// How ownership is known, also across processes:
// - A mount is this program's own when one of its connections found the
//   share unmounted before the mount call and mounted after it. That fact is
//   kept in memory by the backend object for the connection that made it.
// - Every other user that this program can see is a drive link in the drives
//   folder, of this or of another instance: a mount that any link points
//   into stays mounted, whoever made it.
// - A letter is reserved by its link before any mount is touched. While the
//   share is being mounted the link points at the reserving process
//   (/proc/PID): it answers, so the letter counts as taken, for as long as
//   that process lives, and dangles, so the next connection may replace it,
//   once the process has died.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::gio {

// Whether `path` is `root` or lies below it.
bool IsInside(std::string_view path, std::string_view root);

// The target of a link that reserves its letter for process `pid`.
std::string ReservationTarget(long pid);
// Whether a link target is such a reservation, of any process.
bool IsReservation(std::string_view target);

// Whether a mount at `root` may be unmounted when a connection goes:
// only when that connection made the mount and no drive link (the targets
// given, a reservation included) points into it.
bool MayUnmount(bool madeByThisConnection, std::string_view root,
                const std::vector<std::string>& linkTargets);

}  // namespace platform::gio
