#pragma once
// Independent jobs run on all cores, with the failures kept in the jobs'
// order, so that a caller reports the same first failure as when it ran
// them one after the other.

#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

// Runs Job(0) .. Job(Count-1), each once, on up to one thread per core; the
// jobs must touch nothing another job touches. Jobs start in index order,
// and none starts after one has failed: every job before the first failure
// has run, later ones may not have. Returns each job's failure (null for one
// that ran through or did not run).
std::vector<std::exception_ptr> RunParallel(std::size_t Count, const std::function<void(std::size_t)>& Job);
