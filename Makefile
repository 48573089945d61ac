# Two commands set everything up on a fresh Debian machine:
#   make run    installs what is missing, builds and starts the viewer; with
#               the build's default server it follows a demo player (make demo)
#   make test   installs what is missing, builds and runs every test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Further cache settings for the configure step, e.g. -DHUNTMARK_WERROR=ON.
CMAKE_ARGS ?=
PROGRAM_DIR := $(BUILD_DIR)/bin

.PHONY: all deps configure build run test clean

all: build

# The package check runs again only when its script or this list changed:
# the stamp records the last check that passed.
DEPS_STAMP := $(BUILD_DIR)/deps.stamp

# $(call configure_once,<folder>,<arguments>) configures a build folder unless
# it is already configured with these arguments; once configured, the build
# re-runs CMake itself when a CMakeLists.txt changes.
configure_once = \
	if [ ! -f $(1)/build.ninja ] || [ "$$(cat $(1)/configure-args.txt 2>/dev/null)" != '$(2)' ]; then \
	    echo "cmake -S . -B $(1) $(2)"; \
	    cmake -S . -B $(1) $(2) && printf '%s\n' '$(2)' > $(1)/configure-args.txt; \
	fi

deps: $(DEPS_STAMP)

# The desktop and real-X-server tests need a few more of Debian's tools, and
# the package's test debhelper.
$(DEPS_STAMP): scripts/install-deps.sh Makefile
	./scripts/install-deps.sh xvfb xauth x11-utils xdotool desktop-file-utils appstream imagemagick faketime lintian dpkg-dev debhelper at-spi2-core python3-pyatspi gnome-keyring libsecret-tools dbus-daemon
	@mkdir -p $(@D) && touch $@

configure: deps
	@$(call configure_once,$(BUILD_DIR),-G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS))

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

# The viewer keeps its files beside itself and its download script names
# them relative to the working directory, so it runs from its own folder.
# Built for the default server, localhost, where nothing serves, it would
# show nothing: then it follows the demo player instead (mk/demo.mk).
run: build
	@if [ "$$(sed -n 's/^HUNTMARK_FTP_HOST:[A-Z]*=//p' $(BUILD_DIR)/CMakeCache.txt)" = localhost ]; then \
	    echo "$(DEMO)"; exec $(DEMO); \
	else \
	    echo "cd $(PROGRAM_DIR) && ./huntmark-viewer"; cd $(PROGRAM_DIR) && exec ./huntmark-viewer; \
	fi

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

clean:
	rm -rf $(BUILD_DIR)

# Further targets (benchmarks, sanitizers, fuzzers, installation) live in
# fragments of their own.
include $(wildcard mk/*.mk)
