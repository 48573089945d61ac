# Regenerates the README's pictures from the real window, showing the demo
# player's progress as a fresh demo starts.
SCREENSHOT_DEMO_DIR := $(BUILD_DIR)/screenshot-demo

.PHONY: screenshot
screenshot: build
	rm -rf $(SCREENSHOT_DEMO_DIR)
	./scripts/demo.sh --prepare-only --folder $(SCREENSHOT_DEMO_DIR) $(BUILD_DIR)
	$(BUILD_DIR)/tools/screenshot $(PROGRAM_DIR) $(SCREENSHOT_DEMO_DIR)/server \
	    docs/screenshot.png docs/screenshot-quests.png docs/screenshot-dark.png \
	    docs/screenshot-history.png
