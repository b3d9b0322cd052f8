// One connection by a process of its own, for the cases where instances of
// the program race:
//
//   gio_connect_once DRIVES_FOLDER LOCAL_NAME REMOTE_NAME USER PASSWORD
//
// Prints "ready" once GIO is set up, connects when a line (or the end) comes
// on standard input, and prints the code.
#include <gio/gio.h>

#include <iostream>
#include <string>

#include "platform/linux/GioNetwork.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: gio_connect_once DRIVES LOCAL REMOTE USER PASSWORD\n";
    return 2;
  }
  platform::GioNetwork net(argv[1]);
  g_vfs_get_supported_uri_schemes(g_vfs_get_default());
  std::cout << "ready" << std::endl;
  std::string go;
  std::getline(std::cin, go);
  platform::NetResource request;
  request.LocalName = argv[2];
  request.RemoteName = argv[3];
  std::cout << net.AddConnection(request, argv[5], argv[4], 0) << std::endl;
  return 0;
}
