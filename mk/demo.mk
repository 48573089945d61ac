# The demo: the viewer in a program folder of its own, $(DEMO_DIR), following
# a simulated player who publishes to Debian's FTP server on this machine.
#
#   make demo    builds, then runs the demo until the viewer is closed
#
# DEMO_PORT=<port> puts the server on that port instead of a free one. The
# folder keeps the progress and the tabs, so the next run goes on from there.
DEMO_DIR ?= $(BUILD_DIR)/demo
DEMO_PORT ?=
DEMO = ./scripts/demo.sh --folder $(DEMO_DIR) $(if $(DEMO_PORT),--port $(DEMO_PORT)) $(BUILD_DIR)

.PHONY: demo

demo: build
	$(DEMO)
