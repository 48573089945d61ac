# Prints every speed and memory figure beside its floor; takes about four
# minutes: one idling to measure the cost of the ticks, two waiting on fetches.
.PHONY: bench
bench: build
	cmake --build $(BUILD_DIR) --target bench_viewer
	$(BUILD_DIR)/bench/bench_viewer $(BENCH_IDLE_SECONDS)
