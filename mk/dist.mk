# Installing and packaging: the validators and tools the install test runs, and `make package`.
PKGS += desktop-file-utils appstream libxml2-utils imagemagick dpkg-dev man-db lintian bash-completion

.PHONY: package
package: build
	cmake --build $(BUILD) --target package
