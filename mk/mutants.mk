# The fault-planting check, not part of `make test`: plants each fault of
# tests/mutants/mutants.txt in turn, in a build folder of its own, and fails
# unless the tests catch every one. MUTANTS=name... plants only those.
MUTANTS_DIR ?= build-mutants
MUTANTS ?=

.PHONY: test-mutants

test-mutants: deps
	@$(call configure_once,$(MUTANTS_DIR),-G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE))
	/usr/bin/python3 tests/mutants/plant_mutants.py $(MUTANTS_DIR) $(MUTANTS)
