# The Debian package.
#
#   make deb   builds $(BUILD_DIR)/huntmark-viewer_<version>_<arch>.deb, for
#              `sudo apt install ./$(BUILD_DIR)/huntmark-viewer_*.deb`
#              (packaging/make-deb.sh; the layout is in cmake/Debian.cmake)

.PHONY: deb

deb: build
	sh packaging/make-deb.sh $(BUILD_DIR) $(BUILD_DIR)
