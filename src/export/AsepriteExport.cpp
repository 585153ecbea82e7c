#include "export/AsepriteExport.h"

#include "codecs/AsepriteWriter.h"
#include "export/ExportFrames.h"
#include "platform/Format.h"
#include "platform/OrderedWork.h"

namespace pelto {

TExportShape ExportAsepriteToStream(const TDrawChara& Chara, const TExportOptions& Options,
                                    TStream& Stream, const TExportProgress& Progress) {
    const std::vector<TScopeAction> Actions = ScopeActions(Chara, Options);
    const std::vector<TPose> Poses = ScopePoses(Actions);
    const int Frames = static_cast<int>(Poses.size());
    TProgressCounter Counter(Progress, CropsToBody(Options) ? 2 * Frames : Frames);
    const TFramePlacement Placement =
        PlacementOf(Options, CropBoxOf(Chara, Options, Poses, {}, &Counter));

    const std::vector<int> Layers = Chara.DrawnLayers();
    std::vector<std::string> Names;
    for (const int Layer : Layers)
        Names.push_back(LayerName(Chara, Layer));
    std::vector<TAseTag> Tags;
    int From = 0;
    for (const TScopeAction& Action : Actions) {
        if (Action.Frames > 0)
            Tags.push_back({Format("m%d-d%d", Action.Motion, Action.Direction), From,
                            From + Action.Frames - 1});
        From += Action.Frames;
    }
    // An action without frames still makes a file of one empty frame.
    TAsepriteWriter Writer(Stream, Placement.Width, Placement.Height, std::max(Frames, 1), Names,
                           Tags);
    const int Delay = Options.Delay.value_or(DefaultExportDelay);
    if (Poses.empty())
        Writer.WriteFrame(Delay, {});
    // The frames' cels are drawn and packed ahead on every core, and written in order.
    TOrderedWork<std::vector<TAseCel>> Cels(Poses.size(), WorkThreads(), [&](std::size_t P) {
        std::vector<TAseCel> Frame;
        for (std::size_t I = 0; I < Layers.size(); ++I) {
            const TBitmap Picture =
                PlacedFrame(DrawLayerCovered(Chara, Layers[I], Poses[P]), Placement);
            Frame.push_back(CelOfDrawnPixels(static_cast<int>(I), Picture.ScanLine(0),
                                             Picture.Stride(), Picture.Width(), Picture.Height()));
            PackCel(Frame.back());
        }
        return Frame;
    });
    for (std::size_t P = 0; P < Poses.size(); ++P) {
        Writer.WriteFrame(Delay, Cels.Next());
        Counter.Step();
    }
    Writer.Finish();
    return {Placement.Width, Placement.Height, std::max(Frames, 1)};
}

} // namespace pelto
