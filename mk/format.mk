# The C++ sources follow .clang-format (Qt's settings):
#   make format        rewrites every source file in place
#   make format-check  fails, naming the files, when one differs (CI runs it)
FORMAT_SOURCES = $(shell git ls-files '*.cpp' '*.h')

.PHONY: format format-check

format:
	./scripts/install-deps.sh clang-format
	clang-format -i $(FORMAT_SOURCES)

format-check:
	./scripts/install-deps.sh clang-format
	@echo "clang-format --dry-run --Werror (every tracked *.cpp and *.h)"
	@clang-format --dry-run --Werror $(FORMAT_SOURCES)
