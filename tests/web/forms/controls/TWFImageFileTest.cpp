#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFImageFile.h"

namespace web::forms::testing_pages {
namespace {

class TWFImageFileTest : public BasicControlPage {
protected:
    TWFImageFileTest() : image(add<TWFImageFile>("WFImageFile1")) {
        image.ImageFile.setFilename("D:\\design\\files\\til.jpg");
    }

    TWFImageFile& image;
};

TEST_F(TWFImageFileTest, HeaderImageShowsAtItsNaturalSizeFromTheFilesFolder) {
    render();
    EXPECT_EQ(body(),
              "<form onsubmit=\"return FormDefaultSubmit();\">\r\n"
              "  <img src=\"/Files/til.jpg\" name=\"WFIMAGEFILE1\" border=\"0\" class=\"WFIMAGEFILE1CSS\" "
              "id=\"WFIMAGEFILE1\">\r\n</form>")
        << "a picture without a handler is no tab stop";
    EXPECT_TRUE(
        contains(styleRules(), ".WFIMAGEFILE1CSS {position:absolute;left:0;top:0;z-index:100;font-style:"));
    EXPECT_TRUE(image.Cacheable);
    EXPECT_FALSE(contains(pageScript(), "WFIMAGEFILE1_on"));
}

TEST_F(TWFImageFileTest, ReferencesIntoFilesNCAreNotCacheable) {
    const std::pair<std::string, std::string> cases[] = {
        {"files\\FilesNc\\Logo.gif", "/FilesNC/Logo.gif"},
        {"http://host.example/filesnc/a.gif", "http://host.example/filesnc/a.gif"},
    };
    for (const auto& [reference, source] : cases) {
        image.Cacheable = true;
        if (reference.starts_with("http"))
            image.ImageFile.setURL(reference);
        else
            image.ImageFile.setFilename(reference);
        render();
        EXPECT_TRUE(contains(body(), "<img src=\"" + source + "\"")) << body();
        EXPECT_FALSE(image.Cacheable);
    }
}

TEST_F(TWFImageFileTest, SizeBorderAndAltText) {
    image.Width = 40;
    image.Height = 20;
    image.SetUseSize(true);
    EXPECT_FALSE(image.AutoSize());
    image.BorderOptions = {clBlue, 2};
    image.AltText = "logo \"1\"";
    render();
    EXPECT_TRUE(
        contains(body(),
                 "<img src=\"/Files/til.jpg\" name=\"WFIMAGEFILE1\" border=\"2\" "
                 "style={border-color: #0000FF;} alt=\"logo &quot;1&quot;\" width=\"40\" height=\"20\" "
                 "class="))
        << body();
    EXPECT_TRUE(contains(styleRules(), "width:40;height:20;"));
    image.SetAutoSize(true);
    EXPECT_FALSE(image.UseSize());
    EXPECT_FALSE(image.RenderSize);
}

TEST_F(TWFImageFileTest, MouseDownPostsThePositionAndClickPostsNothing) {
    std::string seen;
    image.SetOnClick([&](TWFControl&) { seen += "click;"; });
    render();
    EXPECT_TRUE(contains(body(), "id=\"WFIMAGEFILE1\" tabindex=\"2\">"))
        << "a picture that posts is a tab stop";
    image.Confirmation = "Go'?";
    render();
    EXPECT_TRUE(contains(pageScript(),
                         "function WFIMAGEFILE1_onclick(event) {\r\n"
                         "return SubmitClickConfirm('WFIMAGEFILE1','', true, 'Go\\'?');}"));
    post({{"WF_Action", "WFIMAGEFILE1"}, {"WF_ActionParam", ""}});

    image.SetOnMouseDown(
        [&](TWFControl&, int x, int y) { seen += std::to_string(x) + "/" + std::to_string(y) + ";"; });
    EXPECT_FALSE(image.OnClick());
    image.DoSubmitValidation = false;
    render();
    EXPECT_TRUE(contains(pageScript(),
                         "function WFIMAGEFILE1_onmousedown(event) {\r\n"
                         "return ImageClick(this.name,event,false, 'Go\\'?');}"));
    EXPECT_FALSE(contains(pageScript(), "_onclick"));
    for (const char* parameter : {"12,34", "5", "x,1", "1,2,3", "-3,0"}) {
        post({{"WF_Action", "WFIMAGEFILE1"}, {"WF_ActionParam", parameter}});
    }
    EXPECT_EQ(seen, "click;12/34;-3/0;");
}

}  // namespace
}  // namespace web::forms::testing_pages
