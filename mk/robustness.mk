# Reliability runs beyond `make test`:
#   make test-sanitize  every test again, built with AddressSanitizer and
#                       UndefinedBehaviorSanitizer, leak checks included
#   make fuzz           the libFuzzer targets, FUZZ_SECONDS (60) each
#   make soak-long      the refresh soak over SOAK_CYCLES (20000) cycles

SANITIZE_DIR ?= build-sanitize
SANITIZE_CMAKE_ARGS ?=
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= clang++-14
SOAK_CYCLES ?= 20000

FUZZ_TARGETS := firstfield tabsline batchline

# The viewer keeps only the end of what its script helper writes (the
# client's complaints) and shows none of it, so every sanitized process
# writes its reports to files instead, and the run passes only when none was
# written. Leaks to pass over are
# listed in tests/sanitizer/lsan.supp.
SANITIZER_LOGS = $(abspath $(SANITIZE_DIR))/sanitizer-logs
SANITIZER_ENV = \
	ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$(SANITIZER_LOGS)/asan \
	LSAN_OPTIONS=suppressions=$(abspath tests/sanitizer/lsan.supp):print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=$(SANITIZER_LOGS)/ubsan

.PHONY: test-sanitize fuzz soak-long

# The build's own tools run sanitized as well, with leak checks off: they
# are no test, and a leak report would stop the build.
test-sanitize: deps
	@$(call configure_once,$(SANITIZE_DIR),-G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DHUNTMARK_SANITIZE=ON $(SANITIZE_CMAKE_ARGS))
	ASAN_OPTIONS=detect_leaks=0 cmake --build $(SANITIZE_DIR) --parallel $(JOBS)
	rm -rf $(SANITIZER_LOGS)
	mkdir -p $(SANITIZER_LOGS)
	cd $(SANITIZE_DIR) && $(SANITIZER_ENV) ctest --output-on-failure --parallel $(JOBS); \
	status=$$?; \
	for report in $(SANITIZER_LOGS)/*; do \
	    [ -e "$$report" ] || continue; \
	    echo "=== $$report"; cat "$$report"; status=1; \
	done; \
	exit $$status

# Each target starts from its seeds and findings and keeps what it learns in
# the build folder; a failed check or a crash stops the run with the input
# saved under findings/. A small quarantine keeps the memory of millions of
# runs within bounds.
fuzz:
	./scripts/install-deps.sh clang-14 libclang-rt-14-dev
	cmake -S fuzz -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=$(FUZZ_CXX)
	cmake --build $(FUZZ_DIR) --parallel $(JOBS)
	mkdir -p $(FUZZ_DIR)/findings
	for target in $(FUZZ_TARGETS); do \
	    mkdir -p $(FUZZ_DIR)/corpus/$$target; \
	    ASAN_OPTIONS=quarantine_size_mb=32 $(FUZZ_DIR)/fuzz_$$target \
	        -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	        -artifact_prefix=$(FUZZ_DIR)/findings/$$target- \
	        $(FUZZ_DIR)/corpus/$$target fuzz/corpus/$$target $$(ls -d fuzz/regressions/$$target 2>/dev/null) \
	        2> $(FUZZ_DIR)/fuzz_$$target.log \
	        || { tail -n 40 $(FUZZ_DIR)/fuzz_$$target.log; exit 1; }; \
	    echo "fuzz_$$target: $$(grep -h 'stat::number_of_executed_units' $(FUZZ_DIR)/fuzz_$$target.log)"; \
	done

# The run is one test function; QtTest would end it after five minutes.
soak-long: build
	cd $(BUILD_DIR) && HUNTMARK_SOAK_CYCLES=$(SOAK_CYCLES) QT_QPA_PLATFORM=offscreen \
	    QTEST_FUNCTION_TIMEOUT=86400000 ./tests/test_soak
