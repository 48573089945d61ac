# Regenerates the README's pictures from the real window, showing the demo
# player's progress as a fresh demo starts.
SCREENSHOT_DEMO_DIR := $(BUILD_DIR)/screenshot-demo

.PHONY: screenshot
screenshot: build
	rm -rf $(SCREENSHOT_DEMO_DIR)
	./scripts/demo.sh --prepare-only --folder $(SCREENSHOT_DEMO_DIR) $(BUILD_DIR)
	$(BUILD_DIR)/tools/screenshot/screenshot $(PROGRAM_DIR) $(SCREENSHOT_DEMO_DIR)/server \
	    docs/screenshots/screenshot.png docs/screenshots/screenshot-quests.png docs/screenshots/screenshot-dark.png \
	    docs/screenshots/screenshot-history.png
	cmake --build $(BUILD_DIR) --target screenshot-tracker
	$(BUILD_DIR)/tools/screenshot/screenshot-tracker $(PROGRAM_DIR) \
	    docs/screenshots/screenshot-tracker.png docs/screenshots/screenshot-tracker-find.png
