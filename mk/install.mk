# Installation and the portable bundle.
#
#   make install     builds, installs for the current user (by default into
#                    ~/.local: the program folder ~/.local/share/huntmark-viewer,
#                    the launcher ~/.local/bin/huntmark-viewer, the progress
#                    tool ~/.local/bin/huntmark-progress, a desktop entry
#                    and icons) and refreshes the desktop menu
#   make uninstall   removes what the last `make install` installed; the
#                    settings and progress files in the program folder stay
#   make bundle      packs $(BUILD_DIR)/huntmark-viewer-<version>-Linux.tar.gz,
#                    a program folder that runs wherever it is unpacked
#
# PREFIX=<folder> installs elsewhere (the prefix configured in the build is
# the default). A build configured for a prefix outside the home folder
# installs the layout for every user instead (cmake/Install.cmake).

# The prefix actually used, read after the build is configured.
INSTALL_PREFIX = $(or $(PREFIX),$(shell sed -n 's/^CMAKE_INSTALL_PREFIX:[A-Z]*=//p' $(BUILD_DIR)/CMakeCache.txt))
# What the last `make install` installed, one path a line; the install tests
# overwrite CMake's own install_manifest.txt.
INSTALLED_LIST := $(BUILD_DIR)/installed-files.txt

.PHONY: install uninstall bundle

install: build
	cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix "$(PREFIX)")
	cp $(BUILD_DIR)/install_manifest.txt $(INSTALLED_LIST)
	@if command -v update-desktop-database >/dev/null 2>&1; then \
	    update-desktop-database -q "$(INSTALL_PREFIX)/share/applications" 2>/dev/null || true; \
	fi
	@if command -v gtk-update-icon-cache >/dev/null 2>&1; then \
	    gtk-update-icon-cache -q -t -f "$(INSTALL_PREFIX)/share/icons/hicolor" 2>/dev/null || true; \
	fi
	@echo "Installed. Start Huntmark Viewer from the desktop menu or run $(INSTALL_PREFIX)/bin/huntmark-viewer"

uninstall:
	@test -f $(INSTALLED_LIST) || { echo "Nothing installed from $(BUILD_DIR)."; exit 1; }
	@while IFS= read -r file || [ -n "$$file" ]; do rm -f -- "$$file"; done < $(INSTALLED_LIST)
	@for dir in Monsters Locations; do \
	    sed -n "s,/$$dir/[^/]*$$,/$$dir,p" $(INSTALLED_LIST) | sort -u | \
	        while IFS= read -r d; do rmdir -- "$$d" 2>/dev/null || true; done; \
	done
	@sed -n 's,/huntmark-viewer/huntmark-viewer$$,/huntmark-viewer,p' $(INSTALLED_LIST) | \
	    while IFS= read -r d; do rmdir -- "$$d" 2>/dev/null || \
	        echo "Kept $$d: it still holds your settings and progress files."; done
	@sed -n 's,/doc/huntmark-viewer/LICENSE$$,/doc/huntmark-viewer,p' $(INSTALLED_LIST) | \
	    while IFS= read -r d; do rmdir -- "$$d" 2>/dev/null || true; done
	rm -f $(INSTALLED_LIST)

bundle: build
	cd $(BUILD_DIR) && cpack -G TGZ
	@echo "Bundle: $(BUILD_DIR)/$$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$$/\1/p' $(BUILD_DIR)/CPackConfig.cmake).tar.gz"
