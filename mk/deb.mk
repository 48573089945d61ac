# The Debian package, built as Debian builds packages (debian/: debhelper
# and CMake).
#
#   make deb   builds $(BUILD_DIR)/huntmark-viewer_<version>_<arch>.deb, for
#              `sudo apt install ./$(BUILD_DIR)/huntmark-viewer_*.deb`
#
# dpkg-buildpackage writes its results beside the source tree it builds, so
# it builds a copy of the tree in $(DEB_DIR)/source: everything it makes
# (the package, its debug symbols, .buildinfo, .changes) stays in $(DEB_DIR),
# and nothing lands in the folder that holds this one. The package is built
# for the FTP server and account of $(BUILD_DIR), when that is configured.

DEB_DIR := $(BUILD_DIR)/deb
# The build dependencies of debian/control beyond those of the build.
DEB_DEPS := debhelper dpkg-dev

.PHONY: deb

deb:
	./scripts/install-deps.sh $(DEB_DEPS)
	@version=$$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt); \
	logged=$$(dpkg-parsechangelog -S Version); \
	[ "$$version" = "$$logged" ] || { \
	    echo "debian/changelog starts with version $$logged, the project is $$version: add an entry (dch -v $$version)" >&2; exit 1; }
	rm -rf $(DEB_DIR)
	mkdir -p $(DEB_DIR)/source
	tar -c --exclude=./.git --exclude='./build' --exclude='./build-*' --exclude='./$(BUILD_DIR)' \
	    --exclude='./obj-*' --exclude='./debian/.debhelper' . | tar -x -C $(DEB_DIR)/source
	cache=$$(sed -n 's/^\(HUNTMARK_FTP_[A-Z]*\):[A-Z]*=\(.*\)/\1=\2/p' $(BUILD_DIR)/CMakeCache.txt 2>/dev/null); \
	ccache=$$(ccache -k cache_dir 2>/dev/null || true); \
	cd $(DEB_DIR)/source && \
	env $$cache $${ccache:+CCACHE_DIR=$$ccache} DEB_BUILD_OPTIONS="parallel=$(JOBS) $$DEB_BUILD_OPTIONS" \
	    dpkg-buildpackage -b -us -uc
	@package=huntmark-viewer_$$(dpkg-parsechangelog -S Version)_$$(dpkg --print-architecture).deb; \
	cp $(DEB_DIR)/$$package $(BUILD_DIR)/ && echo "Package: $(BUILD_DIR)/$$package"
