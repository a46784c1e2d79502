#include "ui/AnalysisJob.h"

#include <QElapsedTimer>

#include "tuning/analysis.h"
#include "ui/GameSession.h"
#include "ui/LongWork.h"
#include "ui/PlayerSettings.h"

namespace qv::ui {

TAnalysisJob::TAnalysisJob(TLongWork& work, TGameSession& session, const TPlayerSettings& players,
                           QObject* parent)
    : QObject(parent), work_(work), session_(session), players_(players) {}

void TAnalysisJob::AnalyseGame() {
    if (!work_.Idle()) return;
    const qv::Game& game = session_.Game();
    std::vector<Point> moves;
    for (int n = 1; n <= game.MoveCount && n <= 64 && game.MoveHistory[n].column != 0; ++n)
        moves.push_back(game.MoveHistory[n]);
    analysed_ = moves;
    AnalysisSettings settings;
    settings.blue = players_.PlayerFor(Blue);
    settings.red = players_.PlayerFor(Red);
    work_.SearchEngine().ClearStop();
    work_.Begin(LongWork::Analysis);
    emit analysisStarted(static_cast<int>(moves.size()));
    work_.Post([this, moves, settings] {
        QElapsedTimer timer;
        timer.start();
        const auto positions = qv::AnalyseGame(
            work_.SearchEngine(), moves, settings, [this](const PositionAnalysis& p) {
                work_.Note([&p](TLongWork::Updates& u) { u.positions.push_back(p); });
            });
        const bool complete = positions.size() == moves.size() + 1;
        const double seconds = timer.elapsed() / 1000.0;
        work_.Deliver([this, complete, seconds] {
            emit analysisFinished(complete, seconds);
            work_.End();
        });
    });
}

bool TAnalysisJob::GoToMove(int32_t moves) {
    if (moves < 0 || moves > static_cast<int32_t>(analysed_.size())) return false;
    // Only while the history still holds the analysed game.
    for (size_t i = 0; i < analysed_.size(); ++i)
        if (!(session_.Game().MoveHistory[i + 1] == analysed_[i])) return false;
    return session_.GoToMove(moves);
}

}  // namespace qv::ui
