# Prints every speed and memory figure beside its floor; takes about six
# minutes (the tracker's figures another half minute): one idling to measure
# the cost of the ticks, two waiting on fetches, one on a history of a million
# events. The process start-up is timed under an Xvfb of its own, watched
# through xcb.
# The benchmark is outside the default build and starts the tests' FTP
# server, so it needs a build configured with BUILD_TESTING on (the default).
.PHONY: bench
bench: build
	./scripts/install-deps.sh xvfb libxcb1-dev
	cmake --build $(BUILD_DIR) --target bench_viewer bench_tracker
	$(BUILD_DIR)/bench/bench_viewer $(BENCH_IDLE_SECONDS)
	$(BUILD_DIR)/bench/bench_tracker
