# Prints every speed and memory figure beside its floor; takes about four
# minutes (the tracker's figures another half minute): one idling to measure the cost of the ticks, two waiting on fetches.
# The benchmark is outside the default build and starts the tests' FTP
# server, so it needs a build configured with BUILD_TESTING on (the default).
.PHONY: bench
bench: build
	cmake --build $(BUILD_DIR) --target bench_viewer bench_tracker
	$(BUILD_DIR)/bench/bench_viewer $(BENCH_IDLE_SECONDS)
	$(BUILD_DIR)/bench/bench_tracker
