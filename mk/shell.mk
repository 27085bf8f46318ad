# The shell room: the help compiler and the freedesktop tools the association tests run.
PKGS += fp-utils xdg-utils shared-mime-info
