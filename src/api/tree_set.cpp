#include "rf_compare/tree_set.hpp"

#include "guarded_call.hpp"
#include "matrix_reader_state.hpp"
#include "messages.hpp"
#include "thread_choice.hpp"
#include "tree_collector.hpp"
#include "tree_table_state.hpp"

namespace rf_compare {

namespace {

detail::CollectorSettings collector_settings(const SetOptions& options) {
    return {options.when_not_additive == WhenNotAdditive::mark, options.keep_lengths, detail::thread_use(options.threads),
            {options.tolerance, options.strict, options.method}, false};
}

} // namespace

struct TreeSet::State {
    explicit State(SetOptions set_options) : options(std::move(set_options)), collector(collector_settings(options)) {}

    SetOptions options;
    detail::TreeCollector collector;
};

TreeSet::TreeSet(SetOptions options)
    : state_(detail::guarded("a set of trees", [&] { return std::make_unique<State>(std::move(options)); })) {}
TreeSet::TreeSet(TreeSet&&) noexcept = default;
TreeSet& TreeSet::operator=(TreeSet&&) noexcept = default;
TreeSet::~TreeSet() = default;

std::size_t TreeSet::size() const noexcept { return state_->collector.size(); }

void TreeSet::add(const MatrixView& matrix, std::vector<std::string> names) {
    // One matrix as a supply of one: the names go the way of every supply's.
    class One final : public MatrixSupply {
    public:
        One(const MatrixView& view, std::vector<std::string> names) : view_(view), names_(std::move(names)) {}
        std::optional<Matrix> next() override {
            if (given_) {
                return std::nullopt;
            }
            given_ = true;
            return Matrix{view_, nullptr, std::move(names_)};
        }

    private:
        MatrixView view_;
        std::vector<std::string> names_;
        bool given_ = false;
    } one(matrix, std::move(names));
    add_all(one);
}

void TreeSet::add(const Tree& tree) {
    class One final : public MatrixSupply {
    public:
        explicit One(const Tree& tree) : tree_(tree) {}
        std::optional<Matrix> next() override {
            if (given_) {
                return std::nullopt;
            }
            given_ = true;
            return Matrix{{}, nullptr, {}, tree_};
        }

    private:
        const Tree& tree_;
        bool given_ = false;
    } one(tree);
    add_all(one);
}

void TreeSet::add_all(std::span<const MatrixView> matrices) {
    detail::guarded(detail::REBUILDING_TREES, [&] {
        rf::Cancellation cancellation(state_->options.interrupted);
        state_->collector.add_views(matrices, cancellation);
    });
}

void TreeSet::add_all(MatrixSupply& matrices) {
    detail::guarded(detail::REBUILDING_TREES, [&] {
        rf::Cancellation cancellation(state_->options.interrupted);
        state_->collector.add_supply(matrices, cancellation);
    });
}

void TreeSet::add_all(MatrixReader& reader) {
    detail::guarded(detail::REBUILDING_TREES, [&] {
        rf::Cancellation cancellation(state_->options.interrupted);
        while (const rf::DistanceMatrix* matrix = reader.state_->source.next()) {
            cancellation.throw_if_requested();
            state_->collector.add(*matrix, reader.state_->source.names());
        }
    });
}

TreeTable TreeSet::finish() {
    return detail::guarded("numbering the trees", [&] {
        auto table = std::make_unique<TreeTable::State>();
        table->leaf_count = state_->collector.leaf_count();
        table->names = state_->collector.names();
        table->verdicts = state_->collector.verdicts();
        table->numbered = state_->collector.finish();
        table->keep_lengths = state_->options.keep_lengths;
        table->threads = detail::thread_use(state_->options.threads);
        table->interrupted = state_->options.interrupted;
        state_ = std::make_unique<State>(state_->options);
        return TreeTable(std::move(table));
    });
}

} // namespace rf_compare
