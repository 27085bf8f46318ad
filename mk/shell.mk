# The shell room: the help compiler and the freedesktop tools the association tests run
# (xdg-mime; gio for what GLib desktops see; desktop-file-validate, update-desktop-database).
PKGS += fp-utils xdg-utils shared-mime-info libglib2.0-bin desktop-file-utils
