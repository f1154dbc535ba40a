#include "processor/FactoryPrograms.h"

namespace corvane
{

// No program carries a mix: every slot gets the bank's default wet/dry. The
// texts are kept exactly as they were voiced ("0.", "0.800000012", ...):
// the mode values sit on purpose just inside their modes.
const char* const factoryProgramsDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?> "
    "<corvaneXML curprogram=\"0\" version=\"1\"> "
    "<programs> "
    "<program programname=\"RadavErir\" shift=\"1.0\" feedback=\"0.0\" diffusion=\"0.915\" size=\"0.5\" lowcut=\"0.03\" highcut=\"0.7\" modrate=\"0.1\" moddepth=\"0.25\" reverbmode=\"0.0\" shiftmode=\"0.0\" colormode=\"0.0\"/> "
    "<program programname=\"ConcertHall\" shift=\"1.0\" feedback=\"0.5\" diffusion=\"0.855\" size=\"0.5\" lowcut=\"0.01\" highcut=\"0.5\" modrate=\"0.1\" moddepth=\"0.25\" reverbmode=\"0.75\" shiftmode=\"1.0\" colormode=\"1.0\"/> "
    "<program programname=\"BrightHall\" shift=\"1.0\" feedback=\"0.5\" diffusion=\"0.855\" size=\"0.5\" lowcut=\"0.01\" highcut=\"0.6\" modrate=\"0.1\" moddepth=\"0.25\" reverbmode=\"0.75\" shiftmode=\"1.0\" colormode=\"0.0\"/> "
    "<program programname=\"DeepBlueDay\" shift=\"1.0\" feedback=\"0.81\" diffusion=\"0.9111116\" size=\"0.7\" lowcut=\"0.0\" highcut=\"0.4476\" modrate=\"0.1\" moddepth=\"0.10\" reverbmode=\"0.5\" shiftmode=\"0.20003\" colormode=\"1.0\"/> "
    "<program programname=\"Chorus\" shift=\"1.0\" feedback=\"0.\" diffusion=\"0.624242425\" size=\"0.0\" lowcut=\"0.0\" highcut=\"1.0\" modrate=\"0.15\" moddepth=\"0.5\" reverbmode=\"1.0\" shiftmode=\"0.333333343\" colormode=\"0.0\"/> "
    "<program programname=\"BigReverse\" shift=\"1.0\" feedback=\"0.\" diffusion=\"0.624242425\" size=\"1.0\" lowcut=\"0.0\" highcut=\"0.5\" modrate=\"0.1\" moddepth=\"0.10\" reverbmode=\"0.0\" shiftmode=\"0.333333343\" colormode=\"0.0\"/> "
    "<program programname=\"TajMahal\" shift=\"1.0\" feedback=\"0.75\" diffusion=\"0.92\" size=\"1.0\" lowcut=\"0.0\" highcut=\"0.429530203\" modrate=\"0.0816326514\" moddepth=\"0.12\" reverbmode=\"0.5\" shiftmode=\"1.0\" colormode=\"1.0\"/> "
    "<program programname=\"OctaveUpDown\" shift=\"1.0\" feedback=\"0.800012\" diffusion=\"0.714141428\" size=\"0.75\" lowcut=\"0.01\" highcut=\"0.5\" modrate=\"0.0755\" moddepth=\"0.15\" reverbmode=\"0.75\" shiftmode=\"0.800000012\" colormode=\"1.0\"/> "
    "</programs> "
    "</corvaneXML>";

} // namespace corvane
