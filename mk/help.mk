# The help window reads zor.chm with libchm where the desktop has no program for it.
PKGS += libchm-dev
