// Who may undo a connection. A GVfs mount belongs to the whole desktop
// session: the file manager, other programs and other instances of this one
// may use it. These are the rules, as pure text work on link targets.
//
// How ownership is known, also across processes:
// - A mount is this program's own when one of its connections found the
//   share unmounted before its mount call and mounted after it. The backend
//   object keeps that in memory for the connection; when that connection
//   goes while another of the same object still uses the mount, the mount
//   passes to it. Nothing else is remembered: a mount made by an instance
//   that has ended, or by another program, is never this program's.
// - Every other user that this program can see is a drive link in the drives
//   folder, of this or of another instance: a mount that any link points
//   into stays mounted, whoever made it. (Another instance's connection
//   without a drive leaves no trace and cannot be seen.)
// - A letter is reserved by its link before any mount is touched, under a
//   lock on the drives folder. While the share is being mounted the link
//   points at the reserving process (/proc/PID): it answers, so the letter
//   counts as taken, for as long as that process lives, and dangles, so the
//   next connection may replace it, once the process has died.
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
// only when that connection made the mount and nothing in use (the drive
// links' targets and other connections' roots) lies inside it.
bool MayUnmount(bool madeByThisConnection, std::string_view root,
                const std::vector<std::string>& inUse);

}  // namespace platform::gio
