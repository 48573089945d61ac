# Regenerates the README's pictures from the real window.
.PHONY: screenshot
screenshot: build
	$(BUILD_DIR)/tools/screenshot $(PROGRAM_DIR) docs/screenshot.png docs/screenshot-quests.png docs/screenshot-dark.png
