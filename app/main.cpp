#include "app/appform.h"
#include "app/application.h"
#include "platform/namedobject.h"
#include "widgets/artwork.h"

int main(int argc, char *argv[])
{
    // Nothing checks it: two instances run side by side.
    const NamedSystemObject instanceMarker("TANDREL_Pairsight");
    Application app(argc, argv);
    app.setTitle(QStringLiteral("Pairsight"));
    app.setWindowIcon(programIcon());
    return app.run([] {
        TAppForm form;
        form.show();
        return QApplication::exec();
    });
}
